#include "tests/db/postgres_client.h"

#include <glob.h>

#include <cstdlib>
#include <fstream>

std::map<std::string, std::string> PostgresClientSettings() {
  std::map<std::string, std::string> settings;
  const char* dir = std::getenv("DS_PG_DIR");
  if (dir == nullptr) return settings;
  std::ifstream in(std::string(dir) + "/client.env");
  for (std::string line; std::getline(in, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 1);
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
      value = value.substr(1, value.size() - 2);
    }
    settings[line.substr(0, equals)] = value;
  }
  return settings;
}

std::string PsqlProgram() {
  glob_t found{};
  std::string program;
  if (::glob("/usr/lib/postgresql/*/bin/psql", 0, nullptr, &found) == 0 && found.gl_pathc > 0) {
    program = found.gl_pathv[found.gl_pathc - 1];
  }
  ::globfree(&found);
  return program;
}
