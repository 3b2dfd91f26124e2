#include "tools/report/transfer_outcome.h"

#include "platform/cp1252.h"

namespace {

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Length of the UTF-8 sequence at text[at], or 0 when it is not a valid one
// (overlong forms, surrogates and values beyond U+10FFFF are invalid).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned long value = 0;
  unsigned long lowest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1Fu, lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0Fu, lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07u, lowest = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
    value = (value << 6) | (byte(at + i) & 0x3Fu);
  }
  if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return length;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

}  // namespace

bool IsSuccessfulTransfer(std::string_view type, std::string_view status) {
  if (type == "DNL" || type == "DNLA") return StartsWith(status, kDownloadDoneCode);
  if (type == "UPL") {
    return status.size() >= kUploadDoneStart.size() + kUploadDoneEnd.size() &&
           StartsWith(status, kUploadDoneStart) && EndsWith(status, kUploadDoneEnd);
  }
  return false;
}

std::string TransferLogText(std::string_view stored) {
  std::string utf8;
  if (IsValidUtf8(stored)) {
    utf8 = stored;
  } else {
    Cp1252ToUtf8(stored, utf8);
  }
  std::string shown;
  shown.reserve(utf8.size());
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F) {
      shown += "\xEF\xBF\xBD";
    } else {
      shown += c;
    }
  }
  return shown;
}
