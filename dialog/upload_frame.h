// The upload frame as the terminal sends it, gathered piece by piece:
//   "200 ... BEGIN <length> ..." CR LF <data> "250 END" <separator> <CRC> ...
// The gatherer is pure: it takes pieces of any size and tells when the frame
// is complete, so the receiver, the tests and the fuzz driver share it.
#ifndef DATENSCHLEUSE_DIALOG_UPLOAD_FRAME_H
#define DATENSCHLEUSE_DIALOG_UPLOAD_FRAME_H

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kFrameLengthMark[] = "BEGIN ";
inline constexpr char kFrameTrailerMark[] = "250 END";
constexpr std::size_t kFrameInitialCapacity = 10000;
// "250 END", one separator byte and four CRC characters.
constexpr std::size_t kFrameTrailerLength = 12;
// Room for a frame is taken in one step for a declared length up to this;
// a terminal's word alone never makes the receiver take more.
constexpr std::size_t kFrameReserveHintLimit = std::size_t{256} << 20;
// The declared length is read from at most this many characters.
constexpr std::size_t kFrameLengthTextLimit = 99;
// The first line is the terminal's reply to the upload command, and a reply
// is read whole into a buffer of kReplyLimit bytes: a first line that has not
// ended within that many bytes is no frame.
constexpr std::size_t kFrameFirstLineLimit = 2000;

struct UploadFrame {
  // The gathered text; a NUL byte ends a piece's part of it. A vector, so
  // that its room grows exactly as asked.
  std::vector<char> text;
  std::size_t lineEnd = std::string::npos;  // first CR LF
  std::size_t trailer = std::string::npos;  // first "250 END" after lineEnd
  // Where the next search for a CR LF or a trailer mark can start, so each
  // byte is searched a bounded number of times.
  std::size_t lineEndScan = 0;
  std::size_t trailerScan = 0;
  // Once the first line is in: the most bytes a frame that agrees with its
  // declared length can have before its trailer is complete (first line,
  // declared length, trailer); 0 when the first line holds no "BEGIN ".
  std::size_t sizeBound = std::numeric_limits<std::size_t>::max();
  // The gathered text never grows beyond this many bytes; more counts as
  // memory running out.
  std::size_t capacityLimit = std::numeric_limits<std::size_t>::max();
};

enum class UploadFrameVerdict {
  kAccepted,   // declared length and CRC agree with the data
  kMismatch,   // length or CRC disagree
  kMalformed,  // a landmark is missing: no "BEGIN " on the first line, no
               // first line end, no trailer or a short one
};

struct UploadFrameCheck {
  UploadFrameVerdict verdict = UploadFrameVerdict::kMalformed;
  std::string_view data;  // into the frame's text; valid while it is unchanged
};

// Prepares an empty frame with room for kFrameInitialCapacity bytes (or the
// limit, when smaller). Returns false when that memory cannot be had.
bool UploadFrameStart(UploadFrame& frame, std::size_t capacityLimit);

// Appends a piece's text (up to its first NUL byte). Once the first line is
// in, room for the declared length is taken in one step when it can be had;
// otherwise room grows by half of what it is. Gathering costs linear time. Returns false, with the
// frame unchanged, when memory runs out or the growth would pass the limit.
bool UploadFrameFeed(UploadFrame& frame, std::string_view piece);

// True once the gathered text holds, after its first CR LF, a "250 END"
// followed by a separator byte and four characters.
bool UploadFrameComplete(const UploadFrame& frame);

// True once the frame can no longer agree with its declared length, so that
// gathering more would only take memory: the first line is in and holds no
// "BEGIN ", the first line has passed kFrameFirstLineLimit bytes without its
// CR LF, or the gathered text has reached the first line, the declared
// length and the trailer without a complete trailer. UploadFrameParse then
// judges it malformed.
bool UploadFrameRefused(const UploadFrame& frame);

// The text gathered so far.
inline std::string_view UploadFrameText(const UploadFrame& frame) {
  return std::string_view(frame.text.data(), frame.text.size());
}

// Takes the declared length, the data (after the first CR LF up to the first
// "250 END") and the trailer CRC out of the frame, and compares them with
// the data. Never reads outside the gathered text.
UploadFrameCheck UploadFrameParse(const UploadFrame& frame);

#endif  // DATENSCHLEUSE_DIALOG_UPLOAD_FRAME_H
