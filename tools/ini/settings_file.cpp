#include "tools/ini/settings_file.h"

#include "crypto/fixed_word.h"
#include "crypto/password_cipher.h"
#include "platform/platform.h"

std::string StoredValueText(std::string_view plainText) {
  if (plainText.empty()) return EncryptToHexText(std::string(8, '\0'), FixedWord);
  return EncryptToHexText(plainText, FixedWord);
}

std::string SettingsFileText(const SettingsValues& values) {
  std::string text;
  for (std::size_t i = 0; i < kSettingsKeys.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    text += number + ";Datenbank;\n";
    text += number + ";" + kSettingsKeys[i] + ";" + StoredValueText(values[i]) + "\n";
  }
  return text;
}

bool WriteSettingsFile(std::string_view path, const std::string& text) {
  FileBeside beside;
  if (!CreateFileBeside(path, beside)) return false;
  if (WriteTextData(beside.file, text.data(), text.size())) return CommitFileBeside(beside);
  DiscardFileBeside(beside);
  return false;
}
