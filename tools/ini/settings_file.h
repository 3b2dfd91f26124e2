// The settings file that holds the database credentials: one entry of two
// lines per key, every value encrypted under the program's fixed word.
#ifndef DATENSCHLEUSE_TOOLS_INI_SETTINGS_FILE_H
#define DATENSCHLEUSE_TOOLS_INI_SETTINGS_FILE_H

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The keys in the order the file holds them.
inline constexpr std::array<const char*, 3> kSettingsKeys = {"LOGIN", "PASS", "NET8"};

// The reader holds 200 hex digits per value, 12 whole blocks of 8 characters.
inline constexpr std::size_t kMaxSettingsValueLength = 96;
// The database session uses a NET8 value of at most 41 characters.
inline constexpr std::size_t kMaxDatabaseNameLength = 41;
// A NET8 value that names an ODBC data source (anything but an SQLite path)
// is refused by the driver manager beyond ODBC's SQL_MAX_DSN_LENGTH.
inline constexpr std::size_t kMaxDataSourceNameLength = 32;

// Plain texts (Windows-1252), in the order of kSettingsKeys.
using SettingsValues = std::array<std::string, kSettingsKeys.size()>;

// The stored hex text of a plain value. An empty value is stored as one block
// of zero bytes, which decrypts to the empty text, so that no value line ends
// directly after its key's ';'.
std::string StoredValueText(std::string_view plainText);

// The whole file with LF line ends. Entry n (from 1) is the header line
// "n;Datenbank;" and the value line "n;KEY;HEX": no entry has the number 0 or
// an empty section text, so a lookup by key alone finds each key's own entry.
std::string SettingsFileText(const SettingsValues& values);

// Writes text with CR LF line ends beside path and then replaces path with it
// in one step; on failure path is left as it was. Returns false on failure.
bool WriteSettingsFile(std::string_view path, const std::string& text);

#endif  // DATENSCHLEUSE_TOOLS_INI_SETTINGS_FILE_H
