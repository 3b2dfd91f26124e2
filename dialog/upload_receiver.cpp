#include "dialog/upload_receiver.h"

#include <array>
#include <cstdio>
#include <new>
#include <string>

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

// Reads pieces until the frame is complete or refused (it can no longer
// agree with its declared length: judged at once, however much the terminal
// still sends). Returns 0, or the result of the phase when reading or
// gathering failed. lastPiece is left on the text of the last piece read.
int GatherFrame(KVSocket* channel, TransferRun& run, UploadFrame& frame,
                std::array<char, kReplyLimit + 1>& buffer, std::string_view& lastPiece) {
  while (!UploadFrameComplete(frame) && !UploadFrameRefused(frame)) {
    buffer.fill('\0');
    const int n = KVSocketReceive(channel, buffer.data(), kReplyLimit, 1);
    if (n < 1) {
      const int error = KVSocketLastError(channel);
      KVSocketClose(channel);
      if (run.verbose == 1) ConsolePrintf("Read-Error: %d", error);
      return error;
    }
    lastPiece = ReplyTextOf(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    if (!UploadFrameFeed(frame, lastPiece)) {
      KVSocketClose(channel);
      SetResultText(run.resultText, kOutOfMemoryText);
      return kUploadFailed;
    }
  }
  return 0;
}

}  // namespace

int ReceiveUpload(KVSocket* channel, TransferRun& run, std::string_view firstReply,
                  std::size_t memoryLimit) {
  UploadFrame frame;
  if (!UploadFrameStart(frame, memoryLimit)) return kUploadFailed;
  std::array<char, kReplyLimit + 1> buffer;
  std::string_view lastPiece = ReplyTextOf(firstReply);
  if (!UploadFrameFeed(frame, lastPiece)) {
    KVSocketClose(channel);
    SetResultText(run.resultText, kOutOfMemoryText);
    return kUploadFailed;
  }
  const int gathered = GatherFrame(channel, run, frame, buffer, lastPiece);
  if (gathered != 0) return gathered;
  if (run.verbose == 1) {
    ConsoleWrite("Terminalantwort: ");
    ConsoleWrite(lastPiece);
    ConsoleWrite("\r\n");
  }

  const UploadFrameCheck check = UploadFrameParse(frame);
  if (check.verdict != UploadFrameVerdict::kAccepted) {
    SetResultText(run.resultText, kFrameMismatchText);
    if (run.verbose == 1) {
      ConsoleWrite("\n");
      ConsoleWrite(run.resultText);
    }
    return kUploadFailed;
  }
  if (!StoreUploadedData(run.targetFile, check.data)) {
    if (run.verbose == 1) ConsoleWrite("Zieldatei auf Server kann nicht erzeugt werden\n");
    return kUploadFailed;
  }
  SetResultText(run.resultText, "Datei \"" + run.targetFile + "\" erfolgreich gespeichert");
  return 0;
}
