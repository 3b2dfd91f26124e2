#include "dialog/upload_receiver.h"

#include <array>
#include <cstdio>
#include <new>
#include <string>

#include "dialog/dialog_texts.h"
#include "dialog/protocol.h"
#include "dialog/reply.h"
#include "dialog/upload_frame.h"
#include "platform/platform.h"

// A stored upload is written beside its target and committed; leftovers of
// runs killed between the two are removed first (see kStaleUploadAge).
bool StoreUploadedData(std::string_view targetFile, std::string_view data) {
  FileBeside beside;
  try {
    RemoveStaleFilesBeside(targetFile, kStaleUploadAge);
    if (!CreateFileBeside(targetFile, beside)) return false;
    // A write error may also only show at the commit's flush.
    if (WriteTextData(beside.file, data.data(), data.size())) return CommitFileBeside(beside);
  } catch (const std::bad_alloc&) {
    // fall through: nothing has replaced the target
  }
  DiscardFileBeside(beside);
  return false;
}

namespace {

UploadReceived Ending(int result, std::string resultText = {}) {
  UploadReceived received;
  received.result = result;
  received.resultText = std::move(resultText);
  return received;
}

// Reads pieces until the frame is complete or refused (it can no longer
// agree with its declared length: judged at once, however much the terminal
// still sends). Returns 0, or the result of the phase when reading or
// gathering failed (with the result line it leaves in resultText). lastPiece
// is left on the text of the last piece read.
int GatherFrame(KVSocket* channel, const VerboseSink& verbose, UploadFrame& frame,
                std::array<char, kReplyLimit + 1>& buffer, std::string_view& lastPiece,
                std::string& resultText) {
  while (!UploadFrameComplete(frame) && !UploadFrameRefused(frame)) {
    buffer.fill('\0');
    const int n = KVSocketReceive(channel, buffer.data(), kReplyLimit, 1);
    if (n < 1) {
      const int error = KVSocketLastError(channel);
      VerbosePrintf(verbose, kReadErrorFormat, error);
      return error;
    }
    lastPiece = ReplyTextOf(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    if (!UploadFrameFeed(frame, lastPiece)) {
      resultText = kOutOfMemoryText;
      return kUploadFailed;
    }
  }
  return 0;
}

}  // namespace

UploadReceived ReceiveUpload(KVSocket* channel, std::string_view targetFile,
                             const VerboseSink& verbose, std::string_view firstReply,
                             std::size_t memoryLimit) {
  UploadFrame frame;
  if (!UploadFrameStart(frame, memoryLimit)) return Ending(kUploadFailed);
  std::array<char, kReplyLimit + 1> buffer;
  std::string_view lastPiece = ReplyTextOf(firstReply);
  if (!UploadFrameFeed(frame, lastPiece)) return Ending(kUploadFailed, kOutOfMemoryText);
  std::string resultText;
  const int gathered = GatherFrame(channel, verbose, frame, buffer, lastPiece, resultText);
  if (gathered != 0) return Ending(gathered, std::move(resultText));
  ShowReply(verbose, lastPiece, "\r\n");

  const UploadFrameCheck check = UploadFrameParse(frame);
  if (check.verdict != UploadFrameVerdict::kAccepted) {
    VerboseWrite(verbose, "\n");
    VerboseWrite(verbose, kFrameMismatchText);
    return Ending(kUploadFailed, kFrameMismatchText);
  }
  if (!StoreUploadedData(targetFile, check.data)) {
    VerboseWrite(verbose, kTargetNotCreatedText);
    return Ending(kUploadFailed);
  }
  return Ending(0, kStoredPrefix + std::string(targetFile) + kStoredSuffix);
}
