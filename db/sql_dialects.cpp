#include "db/sql_dialects.h"

#include <cctype>

namespace {

// Names are written unquoted everywhere, so every system folds them its own
// way (Oracle to upper case, PostgreSQL to lower case) and finds the schema
// and the table that were created unquoted.
constexpr SqlDialect kDialects[] = {
    // Oracle keeps the client's Windows-1252 character set (its own setting).
    {"Oracle", nullptr, nullptr, "ALTER SESSION SET CURRENT_SCHEMA={schema}", "SYSDATE", true,
     false},
    // SET search_path accepts a schema that does not exist; the cast makes a
    // missing one fail as Oracle's schema switch does. The texts go as UTF-8:
    // PostgreSQL's WIN1252 knows no character for the five bytes Windows-1252
    // leaves undefined and would refuse the whole row. SYSDATE is the time of
    // the insert itself, cut to the second (LOCALTIMESTAMP would be the
    // transaction's start, and rounded).
    {"PostgreSQL", "SET client_encoding TO 'UTF8'", "SELECT CAST('{schema}' AS regnamespace)",
     "SET search_path TO {schema}",
     "CAST(date_trunc('second', clock_timestamp()) AS timestamp without time zone)", false, true},
    // One schema per file: the switch has no effect. 'now' is the time of the
    // statement; datetime() cuts it to the second.
    {"SQLite", nullptr, nullptr, nullptr, "datetime('now','localtime')", false, true},
    {"", nullptr, nullptr, "ALTER SESSION SET CURRENT_SCHEMA={schema}", "SYSDATE", false, false},
};

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (std::size_t i = 0; i < start.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(start[i]))) {
      return false;
    }
  }
  return true;
}

bool IsWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || c == '#';
}

// A name that can stand unquoted in a statement.
bool IsPlainName(std::string_view name) {
  if (name.empty() || std::isalpha(static_cast<unsigned char>(name[0])) == 0) return false;
  for (char c : name) {
    if (!IsWordCharacter(c)) return false;
  }
  return true;
}

std::string WithSchema(std::string_view pattern, std::string_view schema) {
  std::string text(pattern);
  const std::size_t at = text.find("{schema}");
  if (at != std::string::npos) text.replace(at, 8, schema);
  return text;
}

// Replaces every whole word SYSDATE.
std::string WithCurrentDateTime(std::string_view statement, std::string_view replacement) {
  constexpr std::string_view kWord = "SYSDATE";
  std::string text;
  std::size_t from = 0;
  for (std::size_t at = statement.find(kWord); at != std::string_view::npos;
       at = statement.find(kWord, at + kWord.size())) {
    const bool wordStart = at == 0 || !IsWordCharacter(statement[at - 1]);
    const std::size_t end = at + kWord.size();
    const bool wordEnd = end == statement.size() || !IsWordCharacter(statement[end]);
    if (!wordStart || !wordEnd) continue;
    text.append(statement.substr(from, at - from)).append(replacement);
    from = end;
  }
  return text.append(statement.substr(from));
}

}  // namespace

const SqlDialect& FindDialect(std::string_view dbmsName) {
  for (const SqlDialect& dialect : kDialects) {
    if (!dialect.dbmsName.empty() && StartsWithIgnoringCase(dbmsName, dialect.dbmsName)) {
      return dialect;
    }
  }
  return kDialects[std::size(kDialects) - 1];
}

std::vector<std::string> TranslateStatement(const SqlDialect& dialect,
                                            std::string_view oracleStatement) {
  if (StartsWithIgnoringCase(oracleStatement, kSchemaSwitchPrefix)) {
    const std::string_view schema = oracleStatement.substr(kSchemaSwitchPrefix.size());
    // A name that cannot stand unquoted goes to the server as written, which
    // refuses it; it is never spliced into another statement.
    if (!IsPlainName(schema)) return {std::string(oracleStatement)};
    std::vector<std::string> statements;
    if (dialect.schemaCheck != nullptr)
      statements.push_back(WithSchema(dialect.schemaCheck, schema));
    if (dialect.schemaSwitch != nullptr) {
      statements.push_back(WithSchema(dialect.schemaSwitch, schema));
    }
    return statements;
  }
  return {WithCurrentDateTime(oracleStatement, dialect.currentDateTime)};
}
