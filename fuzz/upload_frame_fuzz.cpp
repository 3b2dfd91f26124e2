// The upload frame gatherer and its checks on whatever the terminal sends, in
// pieces of every size. A plain reference gatherer (whole-text searches
// after every piece) must reach the same text, the same stopping point and
// the same verdict as the incremental one.
//
// Input layout, so that the fuzzer controls the split points:
//   byte 0              memory limit: 0 none, else 8 bytes per unit
//   stream              the bytes the terminal sends
//   k length bytes      piece lengths: b < 128 gives b + 1, else (b - 127) * 16
//   last byte           k
// Bytes beyond the listed pieces arrive in pieces of 2000, as reads deliver.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "dialog/protocol.h"
#include "dialog/reply.h"
#include "dialog/upload_frame.h"
#include "fuzz/fuzz_target.h"

namespace {

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

struct Input {
  std::size_t limit = kNoLimit;
  std::vector<std::string_view> pieces;
};

std::size_t PieceLength(std::uint8_t b) {
  const std::size_t length = b < 128 ? b + 1u : (b - 127u) * 16u;
  return std::min(length, static_cast<std::size_t>(kReplyLimit));
}

Input SplitInput(const std::uint8_t* data, std::size_t size) {
  Input input;
  if (data[0] != 0) input.limit = data[0] * 8u;
  const std::size_t count = std::min<std::size_t>(data[size - 1], size - 2);
  const std::uint8_t* lengths = data + size - 1 - count;
  std::string_view stream = AsText(data + 1, size - 2 - count);
  for (std::size_t i = 0; !stream.empty(); ++i) {
    const std::size_t length = i < count ? PieceLength(lengths[i]) : kReplyLimit;
    input.pieces.push_back(stream.substr(0, length));
    stream.remove_prefix(std::min(length, stream.size()));
  }
  return input;
}

// CRC-16/ARC, bit by bit, as the reference for the frame's trailer.
unsigned ReferenceCrc(std::string_view data) {
  unsigned crc = 0;
  for (const char c : data) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
  }
  return crc;
}

bool ReferenceComplete(const std::string& text) {
  const std::size_t lineEnd = text.find("\r\n");
  if (lineEnd == std::string::npos) return false;
  const std::size_t trailer = text.find("250 END", lineEnd + 2);
  return trailer != std::string::npos && text.size() >= trailer + kFrameTrailerLength;
}

// The declared length as the frame's first line gives it, held at the int
// range; false when the first line holds no "BEGIN ".
bool ReferenceDeclared(const std::string& text, std::size_t lineEnd, long& declared) {
  const std::size_t begin = text.find("BEGIN ");
  if (begin == std::string::npos || begin + 6 > lineEnd) return false;
  const std::string lengthText =
      text.substr(begin + 6, std::min<std::size_t>(99, lineEnd - begin - 6));
  declared = std::max<long>(INT_MIN,
                            std::min<long>(INT_MAX, std::strtol(lengthText.c_str(), nullptr, 10)));
  return true;
}

// Gathering stops early once the frame cannot agree with its declared
// length: a first line of more than 2000 bytes (without its CR LF), no "BEGIN " on the first
// line, or first line, declared length and trailer reached without a
// complete trailer.
bool ReferenceRefused(const std::string& text) {
  const std::size_t lineEnd = text.find("\r\n");
  if (lineEnd == std::string::npos) return text.size() > 2001;  // 2001: a CR whose LF may follow
  if (ReferenceComplete(text)) return false;
  long declared = 0;
  if (!ReferenceDeclared(text, lineEnd, declared)) return true;
  return text.size() >=
         lineEnd + 2 + static_cast<std::size_t>(std::max(declared, 0L)) + kFrameTrailerLength;
}

UploadFrameVerdict ReferenceVerdict(const std::string& text) {
  if (!ReferenceComplete(text)) return UploadFrameVerdict::kMalformed;
  const std::size_t lineEnd = text.find("\r\n");
  long declared = 0;
  if (!ReferenceDeclared(text, lineEnd, declared)) return UploadFrameVerdict::kMalformed;
  const std::size_t trailer = text.find("250 END", lineEnd + 2);
  const std::string data = text.substr(lineEnd + 2, trailer - lineEnd - 2);
  char crc[16];
  std::snprintf(crc, sizeof crc, "%04X", ReferenceCrc(data));
  const bool agrees = declared >= 0 && declared <= INT_MAX &&
                      static_cast<std::size_t>(declared) == data.size() &&
                      text.compare(trailer + 8, 4, crc) == 0;
  return agrees ? UploadFrameVerdict::kAccepted : UploadFrameVerdict::kMismatch;
}

}  // namespace

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Input input = SplitInput(data, size);

  UploadFrame frame;
  FUZZ_CHECK(UploadFrameStart(frame, input.limit));
  std::string reference;
  bool outOfMemory = false;
  std::size_t used = 0;
  while (used < input.pieces.size() && !UploadFrameComplete(frame) && !UploadFrameRefused(frame)) {
    const std::string_view piece = ReplyTextOf(input.pieces[used++]);
    const std::string before(UploadFrameText(frame));
    if (!UploadFrameFeed(frame, piece)) {
      FUZZ_CHECK(UploadFrameText(frame) == before);  // a refused piece changes nothing
      outOfMemory = true;
      break;
    }
    reference += piece;
    FUZZ_CHECK(UploadFrameText(frame) == reference);
    FUZZ_CHECK(UploadFrameComplete(frame) == ReferenceComplete(reference));
    FUZZ_CHECK(UploadFrameRefused(frame) == ReferenceRefused(reference));
  }
  if (outOfMemory) {
    FUZZ_CHECK(input.limit != kNoLimit);
    FUZZ_CHECK(reference.size() + ReplyTextOf(input.pieces[used - 1]).size() > input.limit);
    return 0;
  }
  FUZZ_CHECK(UploadFrameText(frame).size() <= input.limit);

  const UploadFrameCheck check = UploadFrameParse(frame);
  FUZZ_CHECK(check.verdict == ReferenceVerdict(reference));
  if (check.verdict != UploadFrameVerdict::kMalformed) {
    const std::string_view text = UploadFrameText(frame);
    FUZZ_CHECK(check.data.data() >= text.data());
    FUZZ_CHECK(check.data.data() + check.data.size() <= text.data() + text.size());
  }
  return 0;
}
