// The settings writer as an operator uses it: the real datenschleuse-ini
// process, its output and exit code, and the file it leaves, read back with
// the lookup the database session makes and the program's own decryption.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
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

std::string Between(const std::string& line, std::size_t from, std::size_t to) {
  if (from == std::string::npos || to == std::string::npos) return "";
  return line.substr(from + 1, to - from - 1);
}

// The entry a lookup with an empty section text, the number 0 and key finds:
// the first pair of lines whose section text is empty, whose number is 0 or
// whose key is key. Returns "key;value-hex" of that entry, or "".
std::string LookUp(const std::string& file, const std::string& key) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(file.substr(start, end - start));
  }
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    const std::string& header = lines[i];
    const std::string& value = lines[i + 1];
    const std::size_t h1 = header.find(';');
    const std::string section = Between(header, h1, header.find(';', h1 + 1));
    const std::size_t v1 = value.find(';');
    const std::size_t v2 = value.find(';', v1 + 1);
    const std::string entryKey = Between(value, v1, v2);
    const int number = std::atoi(value.substr(0, v1).c_str());
    if (section.empty() || number == 0 || entryKey == key) {
      return entryKey + ";" + value.substr(v2 + 1);
    }
  }
  return "";
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
  const ProcessResult result =
      Ini({"write", path, "NET8=kvdb", "LOGIN=scott", "PASS=t\xC3\xBC;ger=-"});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::string file = ReadFileBytes(path);
  EXPECT_EQ(file.substr(0, 14), "1;Datenbank;\r\n");
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = file.find('\n', at)) != std::string::npos; ++at, ++lines) {
    EXPECT_EQ(file[at - 1], '\r') << at;
  }
  EXPECT_EQ(lines, 6u);
  EXPECT_EQ(file.back(), '\n');
  const std::pair<std::string, std::string> expected[] = {
      {"LOGIN", "scott"}, {"PASS", "t\xFC;ger=-"}, {"NET8", "kvdb"}};
  for (const auto& [key, value] : expected) {
    const std::string found = LookUp(file, key);
    ASSERT_EQ(found.substr(0, key.size() + 1), key + ";") << file;
    EXPECT_EQ(Decrypted(found.substr(key.size() + 1)), value) << key;
  }
}

TEST(IniTool, DashReadsTheValueFromStandardInput) {
  TempDir dir;
  const std::string path = dir.File("k.ini");
  const ProcessResult result =
      Ini({"write", path, "LOGIN=-", "PASS=-", "NET8=orcl"}, "scott\r\ngeh eim\n");
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::string file = ReadFileBytes(path);
  EXPECT_EQ(Decrypted(LookUp(file, "LOGIN").substr(6)), "scott");
  EXPECT_EQ(Decrypted(LookUp(file, "PASS").substr(5)), "geh eim");
  EXPECT_EQ(Decrypted(LookUp(file, "NET8").substr(5)), "orcl");

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
