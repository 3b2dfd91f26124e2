// What a test needs to reach the throwaway PostgreSQL server that
// scripts/postgres-test-server.sh started; the CTest fixture passes its
// directory in DS_PG_DIR. POSIX only: the server runs on this machine.
#ifndef DATENSCHLEUSE_TESTS_DB_POSTGRES_CLIENT_H
#define DATENSCHLEUSE_TESTS_DB_POSTGRES_CLIENT_H

#include <map>
#include <string>

// The KEY='value' lines the server script leaves for its clients (DIR/client.env),
// quotes taken off; empty when DS_PG_DIR is not set.
std::map<std::string, std::string> PostgresClientSettings();

// The newest installed psql, or empty when there is none.
std::string PsqlProgram();

#endif  // DATENSCHLEUSE_TESTS_DB_POSTGRES_CLIENT_H
