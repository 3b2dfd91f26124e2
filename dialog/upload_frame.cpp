#include "dialog/upload_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "crypto/crc16.h"
#include "dialog/reply.h"
#include "driver/text_helpers.h"

namespace {

constexpr std::size_t kMarkLength = sizeof kFrameTrailerMark - 1;

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

// Looks for the landmarks in the text added since the last call.
void ScanNewText(UploadFrame& frame) {
  const std::string_view text = UploadFrameText(frame);
  if (frame.lineEnd == std::string::npos) {
    frame.lineEnd = text.find("\r\n", frame.lineEndScan);
    if (frame.lineEnd == std::string::npos) {
      frame.lineEndScan = text.empty() ? 0 : text.size() - 1;
      return;
    }
    frame.trailerScan = frame.lineEnd + 2;
  }
  if (frame.trailer != std::string::npos) return;
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
  ScanNewText(frame);
  return true;
}

bool UploadFrameComplete(const UploadFrame& frame) {
  return frame.trailer != std::string::npos &&
         frame.text.size() >= frame.trailer + kFrameTrailerLength;
}

UploadFrameCheck UploadFrameParse(const UploadFrame& frame) {
  UploadFrameCheck check;
  const std::string_view text = UploadFrameText(frame);
  const std::size_t markLength = sizeof kFrameLengthMark - 1;
  const std::size_t begin = text.find(kFrameLengthMark);
  if (frame.lineEnd == std::string::npos || begin == std::string_view::npos ||
      begin + markLength > frame.lineEnd || !UploadFrameComplete(frame)) {
    return check;
  }
  const std::size_t lengthStart = begin + markLength;
  const int declared = LeadingNumber(
      text.substr(lengthStart, std::min(kFrameLengthTextLimit, frame.lineEnd - lengthStart)));
  check.data = text.substr(frame.lineEnd + 2, frame.trailer - (frame.lineEnd + 2));
  const std::string_view received = text.substr(frame.trailer + kMarkLength + 1, 4);

  char computed[8];
  std::snprintf(computed, sizeof computed, "%04x",
                Crc16Block(check.data.data(), check.data.size(), 0));
  ToUpperInPlace(computed);

  const bool lengthAgrees =
      declared >= 0 && static_cast<std::size_t>(declared) == check.data.size();
  check.verdict = lengthAgrees && received == computed ? UploadFrameVerdict::kAccepted
                                                       : UploadFrameVerdict::kMismatch;
  return check;
}
