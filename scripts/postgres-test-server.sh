#!/usr/bin/env bash
# A throwaway PostgreSQL server for the transfer log tests and the demo.
#
#   postgres-test-server.sh start DIR   initialise and start a server, create the
#                                       role, the schema KVSYSTEM and the table
#                                       O2008TRANSPROT, register ODBC data sources
#   postgres-test-server.sh stop DIR    stop the server and remove its files
#
# The server listens on a Unix socket only (no TCP port), in a private
# directory under the system's temporary folder, so several servers can run
# side by side. With DS_PG_TIMEZONE set, the server keeps its local time in
# that zone (the tests use a zone far from the client's).
#
# The role "dsuser" with password "dsgeheim" owns database "dslog" and in it
# the schema KVSYSTEM with the table; the role "dsleser" (same password) may
# only read that table. Data sources in DIR/odbc.ini:
#   dslog            that database
#   dslog_noschema   a database of the same role without the schema
#   dslog_noserver   a server that is not running
#   dslog_shape      a database whose table lacks the column TrsSta
#   dslog_deferred   a database whose table refuses every row at the commit
#                    (a deferred foreign key into an empty table)
#   dslog_with_a_name_over_32_characters   the same as dslog (36 characters)
# DIR receives what a client needs:
#   DIR/odbcinst.ini, DIR/odbc.ini   for ODBCSYSINI=DIR and ODBCINI=DIR/odbc.ini
#   DIR/client.env                   KEY='value' lines: those two variables,
#                                    PGHOST, PGPORT, PGDATABASE, PGUSER and
#                                    PGPASSWORD of the administrator (for psql),
#                                    DS_PG_DSN, DS_PG_USER, DS_PG_PASSWORD,
#                                    DS_PG_READER, DS_PG_LONG_DSN;
#                                    for a shell: set -a; . DIR/client.env; set +a
#   DIR/server                       the server's private directory (for stop)
# The server runs as the calling user, or as "postgres" when called by root
# (PostgreSQL refuses to run as root).
set -euo pipefail

readonly ROLE=dsuser ROLE_PASSWORD=dsgeheim DATABASE=dslog DSN=dslog READER=dsleser
readonly LONG_DSN=dslog_with_a_name_over_32_characters
readonly ADMIN=dsadmin ADMIN_PASSWORD=dsadmin-geheim PORT=5432

die() { echo "postgres-test-server: $*" >&2; exit 1; }

pg_bin_dir() {
  local dir
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$dir" ] && [ -x "$dir/initdb" ] || die "no PostgreSQL server found under /usr/lib/postgresql"
  echo "$dir"
}

odbc_driver() {
  local so
  for so in /usr/lib/*/odbc/psqlodbca.so /usr/lib/odbc/psqlodbca.so /usr/lib64/psqlodbca.so; do
    [ -f "$so" ] && { echo "$so"; return; }
  done
  die "psqlODBC (psqlodbca.so) not found; install odbc-postgresql"
}

# Runs a shell command line as the server's user.
as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    su postgres -s /bin/sh -c "$1"
  else
    sh -c "$1"
  fi
}

stop_server() {
  local dir=$1 server
  [ -f "$dir/server" ] || return 0
  server=$(cat "$dir/server")
  if [ -f "$server/data/postmaster.pid" ]; then
    as_server_user "'$(pg_bin_dir)/pg_ctl' -D '$server/data' -m immediate -w stop" >/dev/null 2>&1 || true
  fi
  rm -rf "$server"
  rm -f "$dir/server"
}

start_server() {
  local dir=$1 bin server
  bin=$(pg_bin_dir)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  stop_server "$dir"

  server=$(mktemp -d "${TMPDIR:-/tmp}/ds-pg.XXXXXX")
  echo "$server" >"$dir/server"
  printf '%s\n' "$ADMIN_PASSWORD" >"$server/pwfile"
  if [ "$(id -u)" -eq 0 ]; then
    id postgres >/dev/null 2>&1 || die "user postgres missing (install the postgresql package)"
    chown -R postgres "$server"
  fi

  as_server_user "'$bin/initdb' -D '$server/data' -U $ADMIN --pwfile='$server/pwfile' \
    --auth=scram-sha-256 -E UTF8 --locale=C --no-sync >'$server/initdb.log' 2>&1" ||
    { cat "$server/initdb.log" >&2; die "initdb failed"; }
  local zone=""
  [ -n "${DS_PG_TIMEZONE:-}" ] && zone="-c timezone='$DS_PG_TIMEZONE'"
  as_server_user "'$bin/pg_ctl' -D '$server/data' -l '$server/server.log' -w -t 60 \
    -o \"-c listen_addresses='' -c unix_socket_directories='$server' -p $PORT -c fsync=off $zone\" \
    start >/dev/null" || { cat "$server/server.log" >&2; die "server did not start"; }

  export PGHOST=$server PGPORT=$PORT PGUSER=$ADMIN PGPASSWORD=$ADMIN_PASSWORD
  "$bin/psql" -q -v ON_ERROR_STOP=1 -d postgres <<SQL >/dev/null
CREATE ROLE $ROLE LOGIN PASSWORD '$ROLE_PASSWORD';
CREATE ROLE $READER LOGIN PASSWORD '$ROLE_PASSWORD';
CREATE DATABASE $DATABASE OWNER $ROLE;
CREATE DATABASE ${DATABASE}_noschema OWNER $ROLE;
CREATE DATABASE ${DATABASE}_shape OWNER $ROLE;
CREATE DATABASE ${DATABASE}_deferred OWNER $ROLE;
SQL
  # Unquoted names, as the program's own statements write them: PostgreSQL
  # folds them to lower case (kvsystem.o2008transprot).
  PGUSER=$ROLE PGPASSWORD=$ROLE_PASSWORD "$bin/psql" -q -v ON_ERROR_STOP=1 -d $DATABASE <<SQL >/dev/null
CREATE SCHEMA KVSYSTEM;
CREATE TABLE KVSYSTEM.O2008TRANSPROT (
  TrsDat  timestamp(0) NOT NULL,
  TrsUsr  varchar(50),
  TrsTyp  varchar(50),
  TrsFile varchar(255),
  TrsTrm  varchar(255),
  TrsSta  varchar(2000));
GRANT USAGE ON SCHEMA KVSYSTEM TO $READER;
GRANT SELECT ON KVSYSTEM.O2008TRANSPROT TO $READER;
SQL
  PGUSER=$ROLE PGPASSWORD=$ROLE_PASSWORD "$bin/psql" -q -v ON_ERROR_STOP=1 -d ${DATABASE}_shape <<SQL >/dev/null
CREATE SCHEMA KVSYSTEM;
CREATE TABLE KVSYSTEM.O2008TRANSPROT (TrsDat timestamp(0) NOT NULL, TrsUsr varchar(50),
  TrsTyp varchar(50), TrsFile varchar(255), TrsTrm varchar(255));
SQL
  PGUSER=$ROLE PGPASSWORD=$ROLE_PASSWORD "$bin/psql" -q -v ON_ERROR_STOP=1 -d ${DATABASE}_deferred <<SQL >/dev/null
CREATE SCHEMA KVSYSTEM;
CREATE TABLE KVSYSTEM.TRANSTYP (TrsTyp varchar(50) PRIMARY KEY);
CREATE TABLE KVSYSTEM.O2008TRANSPROT (TrsDat timestamp(0) NOT NULL, TrsUsr varchar(50),
  TrsTyp varchar(50) REFERENCES KVSYSTEM.TRANSTYP DEFERRABLE INITIALLY DEFERRED,
  TrsFile varchar(255), TrsTrm varchar(255), TrsSta varchar(2000));
SQL

  cat >"$dir/odbcinst.ini" <<INI
[PostgreSQL ANSI]
Description = PostgreSQL ODBC driver (8-bit texts)
Driver = $(odbc_driver)
INI
  cat >"$dir/odbc.ini" <<INI
[$DSN]
Driver = PostgreSQL ANSI
Servername = $server
Port = $PORT
Database = $DATABASE

[${DSN}_noschema]
Driver = PostgreSQL ANSI
Servername = $server
Port = $PORT
Database = ${DATABASE}_noschema

[${DSN}_noserver]
Driver = PostgreSQL ANSI
Servername = $server/nothing-here
Port = $PORT
Database = $DATABASE

[${DSN}_shape]
Driver = PostgreSQL ANSI
Servername = $server
Port = $PORT
Database = ${DATABASE}_shape

[${DSN}_deferred]
Driver = PostgreSQL ANSI
Servername = $server
Port = $PORT
Database = ${DATABASE}_deferred

[$LONG_DSN]
Driver = PostgreSQL ANSI
Servername = $server
Port = $PORT
Database = $DATABASE
INI
  cat >"$dir/client.env" <<ENV
ODBCSYSINI='$dir'
ODBCINI='$dir/odbc.ini'
PGHOST='$server'
PGPORT='$PORT'
PGDATABASE='$DATABASE'
PGUSER='$ADMIN'
PGPASSWORD='$ADMIN_PASSWORD'
DS_PG_DSN='$DSN'
DS_PG_USER='$ROLE'
DS_PG_PASSWORD='$ROLE_PASSWORD'
DS_PG_READER='$READER'
DS_PG_LONG_DSN='$LONG_DSN'
ENV
}

[ $# -eq 2 ] || die "usage: $0 start|stop DIR"
case $1 in
  start) start_server "$2" ;;
  stop) stop_server "$(cd "$2" 2>/dev/null && pwd || echo "$2")" ;;
  *) die "usage: $0 start|stop DIR" ;;
esac
