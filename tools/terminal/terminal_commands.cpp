#include "tools/terminal/terminal_commands.h"

#include <cstdio>

#include "crypto/crc16.h"
#include "crypto/fixed_word.h"
#include "text/ascii_case.h"

namespace {

constexpr std::int64_t kLargestFileSize = 0x7FFFFFFF;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Takes a decimal number of 1 to 10 digits from the front of text.
bool TakeNumber(std::string_view& text, std::int64_t& value) {
  std::size_t n = 0;
  value = 0;
  while (n < text.size() && n < 11 && IsDigit(text[n])) value = value * 10 + (text[n++] - '0');
  if (n == 0 || n > 10) return false;
  text.remove_prefix(n);
  return true;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// Takes "\"name\"" from the front of text.
bool TakeQuotedName(std::string_view& text, std::string& name) {
  if (!TakePrefix(text, "\"")) return false;
  const std::size_t quote = text.find('"');
  if (quote == std::string_view::npos) return false;
  name = text.substr(0, quote);
  text.remove_prefix(quote + 1);
  return true;
}

bool IsHexText(std::string_view text, bool upperCase) {
  for (char c : text) {
    const bool letter = upperCase ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f');
    if (!IsDigit(c) && !letter) return false;
  }
  return true;
}

}  // namespace

std::string ParseDownloadBegin(std::string_view line, DownloadAnnouncement& announcement) {
  const std::string refusal =
      "501 erwartet: DOWNLOADFILE BEGIN TYP=1 \"Name\" Groesse /C:Pruefsumme";
  std::string_view rest = line;
  if (!TakePrefix(rest, "DOWNLOADFILE BEGIN TYP=1 ") || !TakeQuotedName(rest, announcement.name) ||
      !TakePrefix(rest, " ") || (rest.size() > 1 && rest[0] == '0' && IsDigit(rest[1])) ||
      !TakeNumber(rest, announcement.size) || announcement.size > kLargestFileSize ||
      !TakePrefix(rest, " /C:") || rest.size() != 32 || !IsHexText(rest, true)) {
    return refusal;
  }
  announcement.digest = rest;
  return std::string();
}

std::string ParseDownloadEnd(std::string_view line, std::string& crcText) {
  std::string_view rest = line;
  if (!TakePrefix(rest, "DOWNLOADFILE END ") || rest.size() != 4) {
    return "501 erwartet: DOWNLOADFILE END xxxx";
  }
  crcText = rest;
  return std::string();
}

std::string ParseFileCommand(std::string_view line, std::string_view verb, std::string& name) {
  const std::string refusal =
      "501 erwartet: " + std::string(verb) + " crc Laenge TYP=1 \"Name\" /d:Nummer";
  std::string_view rest = line;
  std::int64_t declared = 0;
  if (!TakePrefix(rest, verb) || !TakePrefix(rest, " ") || rest.size() < 5 || rest[4] != ' ') {
    return refusal;
  }
  const std::string_view crcText = rest.substr(0, 4);
  rest.remove_prefix(5);
  if (!TakeNumber(rest, declared) || !TakePrefix(rest, " ")) return refusal;
  const std::string_view argument = rest;
  if (declared != static_cast<std::int64_t>(argument.size())) {
    return "554 Laengenangabe des Befehls stimmt nicht: angegeben " + std::to_string(declared) +
           ", gezaehlt " + std::to_string(argument.size());
  }
  const std::string computed = Crc16Text(Crc16Block(argument.data(), argument.size(), 0));
  if (crcText != computed) {
    return "552 CRC des Befehls stimmt nicht: gesendet " + std::string(crcText) + ", berechnet " +
           computed;
  }
  std::int64_t number = 0;
  if (!TakePrefix(rest, "TYP=1 ") || !TakeQuotedName(rest, name) || !TakePrefix(rest, " /d:") ||
      !TakeNumber(rest, number) || !rest.empty()) {
    return refusal;
  }
  return std::string();
}

bool IsLoginText(std::string_view text) {
  if (text.size() != static_cast<std::size_t>(kFixedWordLength) + 14) return false;
  if (text.substr(0, kFixedWordLength) != FixedWord) return false;
  for (char c : text.substr(kFixedWordLength)) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

void StartNameDigest(MD5Context& context, std::string_view name) {
  std::string lower(name);
  ToLowerInPlace(lower);
  MD5Init(context);
  MD5Update(context, lower.data(), lower.size());
}

std::string FinishDigestText(MD5Context& context) {
  std::uint8_t digest[16];
  MD5Final(digest, context);
  char text[33] = {};
  HexText(digest, 16, text);
  std::string upper = text;
  return ToUpperInPlace(upper);
}

std::string BuildUploadFrame(std::string_view data, const FrameFaults& faults) {
  std::uint16_t crc = Crc16Block(data.data(), data.size(), 0);
  if (faults.crcWrong) crc = static_cast<std::uint16_t>(crc ^ 0x0101u);
  const std::size_t declared = faults.declared >= 0 ? static_cast<std::size_t>(faults.declared)
                                                    : data.size() + (faults.lengthWrong ? 1 : 0);
  std::string frame = (faults.noBegin ? "200 " : "200 BEGIN ") + std::to_string(declared);
  if (!faults.noLineEnd) frame += "\r\n";
  frame.append(data);
  frame += "250 END ";
  frame += faults.crcLower ? Crc16Text(crc) : Crc16TrailerText(crc);
  frame += "\r\n";
  return frame;
}
