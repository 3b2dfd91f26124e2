// The settings writer as an operator uses it: the real datenschleuse-ini
// process, its output and exit code, and the file it leaves, read back with
// the program's own settings reader and the lookup the database session makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "db/ini_reader.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace {

ProcessResult Ini(const std::vector<std::string>& arguments, const std::string& input = "") {
  ProcessOptions options;
  options.standardInput = input;
  return RunProcess(DS_INI_PROGRAM, arguments, options);
}

std::string Decrypted(const std::string& hex) {
  std::string plain;
  DecryptHexText(hex, plain, FixedWord);
  return plain.c_str();
}

// The value the database session's lookup (empty section text, number 0)
// finds for key, or "?" when it lands on another key's entry.
std::string LookedUp(const std::string& path, const char* key) {
  const IniEntry& entry = ReadIniEntry("", key, 0, path);
  return std::string(entry.entryKey) == key ? entry.entryValue : "?";
}

TEST(IniTool, EncryptThenDecryptGivesTheValueBack) {
  // Arguments arrive in UTF-8; the stored form is Windows-1252.
  const std::pair<std::string, std::string> values[] = {
      {"scott", "scott"},       {"", ""},
      {"ABCDEFGH", "ABCDEFGH"}, {"K\xC3\xA4rnten", "K\xE4rnten"},
      {"a;b=c d", "a;b=c d"},   {std::string(96, 'x'), std::string(96, 'x')},
  };
  for (const auto& [argument, internal] : values) {
    const ProcessResult encrypted = Ini({"encrypt", argument});
    ASSERT_EQ(encrypted.exitCode, 0) << argument << encrypted.errors;
    const std::string hex = encrypted.output.substr(0, encrypted.output.size() - 1);
    EXPECT_EQ(encrypted.output.back(), '\n');
    EXPECT_EQ(Decrypted(hex), internal) << argument;
    // An empty value is stored as one zero block, never as an empty line end.
    EXPECT_EQ(hex.size(), internal.empty() ? 16 : (internal.size() + 7) / 8 * 16) << argument;
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    const ProcessResult decrypted = Ini({"decrypt", hex});
    EXPECT_EQ(decrypted.exitCode, 0);
    EXPECT_EQ(decrypted.output, argument + "\n");
  }
}

TEST(IniTool, WrittenFileAnswersEachLookupWithItsOwnValue) {
  TempDir dir;
  const std::string path = dir.File("Korvaline.Ini");
  WriteFileBytes(path, "stale contents\n");
  const std::string login(96, 'L');
  const ProcessResult result =
      Ini({"write", path, "NET8=", "LOGIN=" + login, "PASS=t\xC3\xBC;ger=-"});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::string file = ReadFileBytes(path);
  EXPECT_EQ(file.substr(0, 14), "1;Datenbank;\r\n");
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = file.find('\n', at)) != std::string::npos; ++at, ++lines) {
    EXPECT_EQ(file[at - 1], '\r') << at;
  }
  EXPECT_EQ(lines, 6u);
  EXPECT_EQ(file.back(), '\n');
  EXPECT_EQ(LookedUp(path, "LOGIN"), login);
  EXPECT_EQ(LookedUp(path, "PASS"), "t\xFC;ger=-");
  EXPECT_EQ(LookedUp(path, "NET8"), "");
  EXPECT_EQ(ReadIniEntry("", "NET8", 0, path).entryNumber, 3);
}

TEST(IniTool, DashReadsTheValueFromStandardInput) {
  TempDir dir;
  const std::string path = dir.File("k.ini");
  const ProcessResult result =
      Ini({"write", path, "LOGIN=-", "PASS=-", "NET8=orcl"}, "scott\r\ngeh eim\n");
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  EXPECT_EQ(LookedUp(path, "LOGIN"), "scott");
  EXPECT_EQ(LookedUp(path, "PASS"), "geh eim");
  EXPECT_EQ(LookedUp(path, "NET8"), "orcl");

  const ProcessResult encrypted = Ini({"encrypt", "-"}, "tiger");  // no line end
  ASSERT_EQ(encrypted.exitCode, 0);
  EXPECT_EQ(Decrypted(encrypted.output.substr(0, encrypted.output.size() - 1)), "tiger");

  const ProcessResult noLine = Ini({"write", dir.File("n.ini"), "LOGIN=a", "PASS=-", "NET8=c"});
  EXPECT_EQ(noLine.exitCode, 1);
  EXPECT_NE(noLine.errors.find("PASS"), std::string::npos) << noLine.errors;
  EXPECT_FALSE(FileExists(dir.File("n.ini")));
}

TEST(IniTool, ValueLongerThanTheReaderHoldsIsRefused) {
  TempDir dir;
  const std::string path = dir.File("k.ini");
  const std::string tooLong(97, 'p');
  const ProcessResult results[] = {
      Ini({"write", path, "LOGIN=a", "PASS=" + tooLong, "NET8=c"}),
      Ini({"write", path, "LOGIN=a", "PASS=-", "NET8=c"}, tooLong + "\n"),
      Ini({"encrypt", tooLong}),
  };
  for (const auto& result : results) {
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.output.empty()) << result.output;
    EXPECT_NE(result.errors.find("96"), std::string::npos) << result.errors;
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(IniTool, DatabaseNameLongerThanTheSessionOrTheDriverManagerTakesIsRefused) {
  TempDir dir;
  // An SQLite path may use the session's 41 characters; the name of an ODBC
  // data source only ODBC's 32.
  struct Case {
    std::string net8;
    const char* limit;  // null: written
  };
  const Case cases[] = {
      {"sqlite:" + std::string(34, 'd'), nullptr},
      {"sqlite:" + std::string(35, 'd'), "41"},
      {std::string(32, 'K'), nullptr},
      {std::string(33, 'K'), "32"},
      {std::string(41, 'K'), "32"},
      {"sqlite" + std::string(27, 'K'), "32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.net8);
    const std::string path = dir.File(std::to_string(c.net8.size()) + c.net8.substr(0, 7));
    const ProcessResult result = Ini({"write", path, "LOGIN=a", "PASS=b", "NET8=" + c.net8});
    if (c.limit == nullptr) {
      ASSERT_EQ(result.exitCode, 0) << result.errors;
      EXPECT_EQ(LookedUp(path, "NET8"), c.net8);
    } else {
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_NE(result.errors.find("NET8"), std::string::npos) << result.errors;
      EXPECT_NE(result.errors.find(c.limit), std::string::npos) << result.errors;
      EXPECT_FALSE(FileExists(path));
    }
  }
}

TEST(IniTool, BadUsageShowsTheUsageAndExitsWithTwo) {
  TempDir dir;
  const std::string path = dir.File("k.ini");
  const std::vector<std::string> cases[] = {
      {},
      {"encrypt"},
      {"encrypt", "a", "b"},
      {"decrypt"},
      {"show", "x"},
      {"write", path, "LOGIN=a", "PASS=b"},
      {"write", path, "LOGIN=a", "PASS=b", "NET9=c"},
      {"write", path, "LOGIN=a", "LOGIN=b", "PASS=c"},
      {"write", path, "LOGIN=a", "PASS=b", "NET8"},
      {"write", path, "login=a", "PASS=b", "NET8=c"},
      {"write", path, "LOGIN=a", "PASS=b", "NET8=c", "NET8=d"},
  };
  for (const auto& arguments : cases) {
    const ProcessResult result = Ini(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments.size();
    EXPECT_NE(result.errors.find("Aufruf: datenschleuse-ini"), std::string::npos);
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(IniTool, UnwritableFileIsReported) {
  TempDir dir;
  const std::string path = dir.File("missing/k.ini");
  const ProcessResult result = Ini({"write", path, "LOGIN=a", "PASS=b", "NET8=c"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.errors.find(path), std::string::npos) << result.errors;
}

}  // namespace
