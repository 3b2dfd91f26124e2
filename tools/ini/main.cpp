// datenschleuse-ini: encrypts settings values the way the program decrypts
// them and writes a complete settings file.
//
//   datenschleuse-ini encrypt TEXT
//   datenschleuse-ini decrypt HEX
//   datenschleuse-ini write FILE LOGIN=... PASS=... NET8=...
//   datenschleuse-ini --version
//
// A value "-" is read as one line from standard input, so that a password
// need not appear on the command line. Exit codes: 0 done, 1 a value or the
// file was refused, 2 usage.
#include <cstdio>
#include <string>
#include <vector>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "db/sql_runtime.h"
#include "platform/platform.h"
#include "tools/ini/settings_file.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

void ErrorWrite(std::string_view text) {
  std::fputs(InternalToConsole(text).c_str(), stderr);
}

int Usage() {
  ErrorWrite(
      "Aufruf: datenschleuse-ini encrypt TEXT\n"
      "        datenschleuse-ini decrypt HEX\n"
      "        datenschleuse-ini write DATEI LOGIN=Benutzer PASS=Passwort NET8=Datenbank\n"
      "        datenschleuse-ini --version\n"
      "Ein Wert \"-\" wird als eine Zeile von der Standardeingabe gelesen.\n");
  return kExitUsage;
}

// One line of standard input without its CR LF or LF; false at end of input
// with nothing read.
bool ReadStandardInputLine(std::string& line) {
  line.clear();
  int c;
  bool any = false;
  while ((c = std::getchar()) != EOF) {
    any = true;
    if (c == '\n') break;
    line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

// The plain value of an argument (already Windows-1252), or of the next line
// of standard input for "-"; false, with a message, when it is refused.
bool ResolveValue(std::string_view key, const std::string& argument, std::string& value) {
  value = argument;
  if (argument == "-") {
    std::string line;
    if (!ReadStandardInputLine(line)) {
      ErrorWrite("Keine Zeile f\xFCr " + std::string(key) + " auf der Standardeingabe.\n");
      return false;
    }
    if (!ArgumentToInternal(line.c_str(), value)) {
      ErrorWrite("Der Wert f\xFCr " + std::string(key) + " hat keine Windows-1252-Form.\n");
      return false;
    }
  }
  // The program ignores a database name longer than it can hold, so such a
  // value is refused here rather than written and silently not used.
  const std::size_t limit = key == "NET8" ? kMaxDatabaseNameLength : kMaxSettingsValueLength;
  if (value.size() > limit) {
    ErrorWrite("Der Wert f\xFCr " + std::string(key) + " ist " + std::to_string(value.size()) +
               " Zeichen lang; erlaubt sind h\xF6"
               "chstens " +
               std::to_string(limit) + " Zeichen.\n");
    return false;
  }
  if (key == "NET8" && value.size() > kMaxDataSourceNameLength &&
      value.compare(0, kSqliteNamePrefix.size(), kSqliteNamePrefix) != 0) {
    ErrorWrite("Der Wert f\xFCr NET8 ist " + std::to_string(value.size()) +
               " Zeichen lang; der Name einer ODBC-Datenquelle hat h\xF6"
               "chstens " +
               std::to_string(kMaxDataSourceNameLength) + " Zeichen (nur ein " +
               std::string(kSqliteNamePrefix) + "-Pfad darf bis " +
               std::to_string(kMaxDatabaseNameLength) + " Zeichen lang sein).\n");
    return false;
  }
  return true;
}

int Encrypt(const std::string& argument) {
  std::string value;
  if (!ResolveValue("TEXT", argument, value)) return kExitRefused;
  ConsoleWrite(StoredValueText(value) + "\n");
  return 0;
}

int Decrypt(const std::string& hex) {
  std::string plain;
  DecryptHexText(hex, plain, FixedWord);
  ConsoleWrite(std::string(plain.c_str()) + "\n");
  return 0;
}

// Index of the key in kSettingsKeys, or -1.
int KeyIndex(std::string_view key) {
  for (std::size_t i = 0; i < kSettingsKeys.size(); ++i) {
    if (key == kSettingsKeys[i]) return static_cast<int>(i);
  }
  return -1;
}

// Each key exactly once, as KEY=VALUE, in any order.
int Write(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1 + kSettingsKeys.size()) return Usage();
  SettingsValues values;
  std::array<bool, kSettingsKeys.size()> seen{};
  for (std::size_t a = 1; a < arguments.size(); ++a) {
    const std::string& pair = arguments[a];
    const std::size_t equals = pair.find('=');
    const int index = equals == std::string::npos ? -1 : KeyIndex(pair.substr(0, equals));
    if (index < 0 || seen[index]) return Usage();
    seen[index] = true;
    if (!ResolveValue(kSettingsKeys[index], pair.substr(equals + 1), values[index])) {
      return kExitRefused;
    }
  }
  if (!WriteSettingsFile(arguments[0], SettingsFileText(values))) {
    ErrorWrite("Die Datei " + arguments[0] + " kann nicht geschrieben werden.\n");
    return kExitRefused;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  PlatformInit();
  std::vector<std::string> arguments;
  for (int i = 2; i < argc; ++i) {
    std::string internal;
    if (!ArgumentToInternal(argv[i], internal)) {
      ErrorWrite("Das Argument " + std::to_string(i) + " hat keine Windows-1252-Form.\n");
      return kExitRefused;
    }
    arguments.push_back(internal);
  }
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "encrypt" && arguments.size() == 1) return Encrypt(arguments[0]);
  if (command == "decrypt" && arguments.size() == 1) return Decrypt(arguments[0]);
  if (command == "write") return Write(arguments);
  if (command == "--version" && arguments.empty()) {
    std::fputs("datenschleuse-ini " DS_VERSION_TEXT "\n", stdout);
    return 0;
  }
  return Usage();
}
