#include "dialog/upload_frame.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "crypto/crc16.h"
#include "dialog/protocol.h"
#include "dialog/reply.h"
#include "text/leading_number.h"

namespace {

constexpr std::size_t kMarkLength = sizeof kFrameTrailerMark - 1;
static_assert(kFrameFirstLineLimit == kReplyLimit, "a first line is one reply");

bool Reserve(std::vector<char>& text, std::size_t capacity) {
  try {
    text.reserve(capacity);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

// Room for needed bytes: half as much again as now, at most the limit.
bool MakeRoom(UploadFrame& frame, std::size_t needed) {
  const std::size_t capacity = frame.text.capacity();
  if (needed <= capacity) return true;
  if (needed > frame.capacityLimit) return false;
  std::size_t grown = capacity + capacity / 2;
  if (grown < capacity || grown > frame.capacityLimit) grown = frame.capacityLimit;
  return Reserve(frame.text, std::max(grown, needed));
}

// The number after the first "BEGIN " of the first line; false when the
// first line holds no "BEGIN ".
bool FindDeclaredLength(std::string_view text, std::size_t lineEnd, int& declared) {
  const std::string_view firstLine = text.substr(0, lineEnd);
  const std::size_t begin = firstLine.find(kFrameLengthMark);
  if (begin == std::string_view::npos) return false;
  declared = LeadingNumber(
      firstLine.substr(begin + sizeof kFrameLengthMark - 1).substr(0, kFrameLengthTextLimit));
  return true;
}

// Takes room for the whole frame as soon as its length is known, so that an
// honest frame is never copied while it grows. Only a hint: a length beyond
// kFrameReserveHintLimit, or room that cannot be had, leaves the frame to
// grow step by step and meet the limits there.
void ReserveForDeclaredLength(UploadFrame& frame, int declared) {
  if (declared <= 0) return;
  const std::size_t whole =
      frame.lineEnd + 2 + static_cast<std::size_t>(declared) + kFrameTrailerLength + kReplyLimit;
  if (whole > frame.text.capacity() && whole <= frame.capacityLimit &&
      whole <= kFrameReserveHintLimit) {
    Reserve(frame.text, whole);
  }
}

// Looks for the first line end in the text added since the last call; once
// it is found, takes the most the frame can hold from the declared length
// and room for it.
void ScanForLineEnd(UploadFrame& frame) {
  const std::string_view text = UploadFrameText(frame);
  frame.lineEnd = text.find("\r\n", frame.lineEndScan);
  if (frame.lineEnd == std::string::npos) {
    frame.lineEndScan = text.empty() ? 0 : text.size() - 1;
    return;
  }
  frame.trailerScan = frame.lineEnd + 2;
  int declared = 0;
  if (!FindDeclaredLength(text, frame.lineEnd, declared)) {
    frame.sizeBound = 0;  // no "BEGIN ": no frame at all
    return;
  }
  frame.sizeBound =
      frame.lineEnd + 2 + static_cast<std::size_t>(std::max(declared, 0)) + kFrameTrailerLength;
  ReserveForDeclaredLength(frame, declared);
}

// Looks for the first trailer mark after the line end in the text added
// since the last call.
void ScanForTrailer(UploadFrame& frame) {
  const std::string_view text = UploadFrameText(frame);
  frame.trailer = text.find(kFrameTrailerMark, frame.trailerScan);
  if (frame.trailer == std::string::npos && text.size() >= kMarkLength) {
    frame.trailerScan = std::max(frame.trailerScan, text.size() - (kMarkLength - 1));
  }
}

}  // namespace

bool UploadFrameStart(UploadFrame& frame, std::size_t capacityLimit) {
  frame = UploadFrame{};
  frame.capacityLimit = capacityLimit;
  return Reserve(frame.text, std::min(kFrameInitialCapacity, capacityLimit));
}

bool UploadFrameFeed(UploadFrame& frame, std::string_view piece) {
  const std::string_view text = ReplyTextOf(piece);
  if (text.size() > frame.capacityLimit - frame.text.size()) return false;
  if (!MakeRoom(frame, frame.text.size() + text.size())) return false;
  frame.text.insert(frame.text.end(), text.begin(), text.end());
  if (frame.lineEnd == std::string::npos) ScanForLineEnd(frame);
  if (frame.lineEnd != std::string::npos && frame.trailer == std::string::npos) {
    ScanForTrailer(frame);
  }
  return true;
}

bool UploadFrameComplete(const UploadFrame& frame) {
  return frame.trailer != std::string::npos &&
         frame.text.size() >= frame.trailer + kFrameTrailerLength;
}

bool UploadFrameRefused(const UploadFrame& frame) {
  // One byte more than the limit may be the CR of a line end still to come.
  if (frame.lineEnd == std::string::npos) return frame.text.size() > kFrameFirstLineLimit + 1;
  return !UploadFrameComplete(frame) && frame.text.size() >= frame.sizeBound;
}

UploadFrameCheck UploadFrameParse(const UploadFrame& frame) {
  UploadFrameCheck check;
  const std::string_view text = UploadFrameText(frame);
  int declared = 0;
  if (!UploadFrameComplete(frame) || !FindDeclaredLength(text, frame.lineEnd, declared)) {
    return check;
  }
  check.data = text.substr(frame.lineEnd + 2, frame.trailer - (frame.lineEnd + 2));
  const std::string_view received = text.substr(frame.trailer + kMarkLength + 1, 4);

  const std::string computed =
      Crc16TrailerText(Crc16Block(check.data.data(), check.data.size(), 0));

  const bool lengthAgrees =
      declared >= 0 && static_cast<std::size_t>(declared) == check.data.size();
  check.verdict = lengthAgrees && received == computed ? UploadFrameVerdict::kAccepted
                                                       : UploadFrameVerdict::kMismatch;
  return check;
}
