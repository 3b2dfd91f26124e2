#include "dialog/dialog_engine.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <string_view>

#include "dialog/download_all.h"
#include "dialog/download_sender.h"
#include "dialog/reply.h"
#include "dialog/upload_receiver.h"
#include "platform/platform.h"

namespace {

using ReplyBuffer = std::array<char, kReplyLimit + 1>;

// Sets the result line to a message with the code it ends with; returns the
// code.
int FailWith(TransferRun& run, const char* format, int code) {
  char text[96];
  std::snprintf(text, sizeof text, format, code);
  SetResultText(run.resultText, text);
  return code;
}

bool IsDownloadEntry(std::string_view entry) {
  return entry.size() >= 3 && entry.substr(3, 8) == "DOWNLOAD";
}
bool IsDownloadStartEntry(std::string_view entry) {
  return IsDownloadEntry(entry) && entry.find("BEGIN") != std::string_view::npos;
}
bool IsDownloadEndEntry(std::string_view entry) {
  return IsDownloadEntry(entry) && entry.find("END") != std::string_view::npos;
}
bool IsUploadEntry(std::string_view entry) {
  return entry.find("UPLOADFILE") != std::string_view::npos;
}

// The server path of the file a download start entry names: the download-all
// directory and the text between the entry's first two double quotes.
std::string DownloadAllSource(const TransferRun& run, std::string_view entry) {
  const std::size_t open = entry.find('"');
  if (open == std::string_view::npos) return run.downloadAllDir;
  const std::size_t close = entry.find('"', open + 1);
  return run.downloadAllDir + std::string(entry.substr(open + 1, close - (open + 1)));
}

// Resolves the terminal, connects and, for a download-all, completes the
// script. Returns true when the dialog goes on with result as its initial
// result; false when it ended with result.
bool Connect(KVSocket* channel, TransferRun& run, const DialogSettings& settings, int& result) {
  KVSocketSetAddress(channel, run.terminalName.c_str());
  const int resolved = KVSocketSetHostName(channel, run.terminalName.c_str());
  if (resolved != 0) {
    ConsoleWrite("Terminalname nicht gefunden!");
    result = FailWith(run, "Terminalname unbekannt! Error: %d", resolved);
    return false;
  }
  KVSocketSetPort(channel, settings.port);
  result = KVSocketSetTimeout(channel, settings.timeoutSeconds);
  if (KVSocketOpen(channel) != 0) {
    const int error = KVSocketLastError(channel);
    if (run.verbose == 1) ConsolePrintf("Open-Error: %d", error);
    result = FailWith(run, "Fehler Socket-Open! Error: %d", error);
    return false;
  }
  if (run.transferType == "DNLA") {
    const int expanded = ExpandDownloadAll(run);
    if (expanded != 0) {
      result = expanded;
      return false;
    }
  }
  return true;
}

// Ends the dialog on a reply that does not carry the awaited code.
int Refuse(KVSocket* channel, TransferRun& run, std::string_view entry, std::string_view reply) {
  if (run.transferType == "DNLA" && IsDownloadStartEntry(entry)) {
    run.sourceFile = DownloadAllSource(run, entry);
  }
  KVSocketClose(channel);
  SetResultText(run.resultText, RefusalResultText(reply));
  return RefusalResult(run.resultText);
}

// Runs the data phase that the matched entry opens, and takes the result line
// from a download end reply. Returns 0 to go on, else the dialog's result.
int RunMatchedEntry(KVSocket* channel, TransferRun& run, const DialogSettings& settings,
                    std::string_view entry, std::string_view reply) {
  if (IsUploadEntry(entry)) {
    const int result = ReceiveUpload(channel, run, reply, settings.uploadMemoryLimit);
    if (result != 0) {
      KVSocketClose(channel);
      if (run.verbose == 1) ConsolePrintf("Fehler beim Upload: %d", result);
      return result;
    }
  }
  if (IsDownloadStartEntry(entry)) {
    if (run.transferType == "DNLA") run.sourceFile = DownloadAllSource(run, entry);
    const int result = SendDownload(channel, run);
    if (result != 0) {
      KVSocketClose(channel);
      if (run.verbose == 1) ConsolePrintf("Fehler beim Download: %d", result);
      return result;
    }
  }
  if (IsDownloadEndEntry(entry)) SetResultText(run.resultText, ReplyResultText(reply));
  return 0;
}

// Sends the command of the entry at the next position with its CR LF.
// Returns 0, or the channel's error when the command did not go out whole.
int SendNextCommand(KVSocket* channel, TransferRun& run) {
  ++run.scriptPosition;
  ScriptEntry& entry = run.script->entries[static_cast<std::size_t>(run.scriptPosition)];
  entry += "\r\n";
  const std::string_view command = std::string_view(entry).substr(3);
  const int length = static_cast<int>(command.size());
  if (KVSocketSend(channel, command.data(), length, 1) != length) {
    const int error = KVSocketLastError(channel);
    KVSocketClose(channel);
    ConsolePrintf("Write Error: %d", error);
    return FailWith(run, "Fehler Socket-Write! Error: %d", error);
  }
  // Only the shown copy is masked: the entry itself must keep its text, which
  // still decides the data phase of its reply.
  if (run.verbose == 1) {
    ConsoleWrite("An Terminal gesendet: ");
    ConsoleWrite(MaskedCommandText(command));
    ConsoleWrite("\n");
  }
  return 0;
}

// Length of the upload trailer's line end at the start of a received block:
// a CR, an LF, or both, in that order; 0 when the block begins otherwise.
int TrailerLineEndLength(const ReplyBuffer& buffer, int count) {
  int length = 0;
  if (length < count && buffer[length] == '\r') ++length;
  if (length < count && buffer[length] == '\n') ++length;
  return length;
}

// Receives a reply of at least three bytes into buffer, all within one
// time-out. A reply is taken as the terminal sent it, with one exception:
// the reply that follows an upload frame may begin with the CR LF that ends
// the frame's trailer, when that came in a piece of its own after the frame
// was complete. Those bytes, at most the two, are skipped, and the read goes
// on until the reply's own code has arrived. Returns the count received
// (below 1 when the read failed) and the bytes to skip in skip.
int ReceiveReply(KVSocket* channel, ReplyBuffer& buffer, bool afterUpload, int& skip) {
  const std::time_t deadline = KVSocketDeadline(channel);
  int n = KVSocketReceiveBefore(channel, buffer.data(), kReplyLimit, kReplyMinimum, deadline);
  skip = 0;
  if (!afterUpload) return n;
  for (;;) {
    if (n < 1) return n;
    skip = TrailerLineEndLength(buffer, n);
    if (skip == 0 || n - skip >= kReplyMinimum) return n;
    const int more = KVSocketReceiveBefore(channel, buffer.data() + n, kReplyLimit - n,
                                           kReplyMinimum - (n - skip), deadline);
    if (more < 1) return more;
    n += more;
  }
}

// Reads one reply into buffer; returns its text, or sets result when the read
// failed.
bool ReadReply(KVSocket* channel, TransferRun& run, ReplyBuffer& buffer, bool afterUpload,
               std::string_view& reply, int& result) {
  buffer.fill('\0');
  int skip = 0;
  const int n = ReceiveReply(channel, buffer, afterUpload, skip);
  if (n < 1) {
    const int error = KVSocketLastError(channel);
    KVSocketClose(channel);
    if (run.verbose == 1) ConsolePrintf("Read-Error: %d", error);
    result = FailWith(run, "Fehler Socket-Read! Error: %d", error);
    return false;
  }
  reply = ReplyTextOf(std::string_view(buffer.data() + skip, static_cast<std::size_t>(n - skip)));
  if (run.verbose == 1) {
    ConsoleWrite("Terminalantwort: ");
    ConsoleWrite(reply);
    ConsoleWrite("\n");
  }
  return true;
}

// Walks the script from run.scriptPosition until its last entry's reply has
// matched, or the first refusal or failure.
int WalkScript(KVSocket* channel, TransferRun& run, const DialogSettings& settings,
               int dialogResult) {
  ReplyBuffer buffer;
  const std::size_t count = run.script == nullptr ? 0 : run.script->entries.size();
  bool afterUpload = false;
  while (static_cast<std::size_t>(run.scriptPosition) < count) {
    std::string_view reply;
    int result = 0;
    if (!ReadReply(channel, run, buffer, afterUpload, reply, result)) return result;
    const std::string_view entry =
        run.script->entries[static_cast<std::size_t>(run.scriptPosition)];
    if (!ReplyCodeMatches(reply, entry)) return Refuse(channel, run, entry, reply);
    result = RunMatchedEntry(channel, run, settings, entry, reply);
    if (result != 0) return result;
    afterUpload = IsUploadEntry(entry);
    if (static_cast<std::size_t>(run.scriptPosition) + 1 >= count) break;
    result = SendNextCommand(channel, run);
    if (result != 0) return result;
  }
  KVSocketClose(channel);
  return dialogResult;
}

}  // namespace

int RunTerminalDialog(KVSocket* channel, TransferRun& run, const DialogSettings& settings) {
  try {
    int result = 0;
    if (!Connect(channel, run, settings, result)) return result;
    return WalkScript(channel, run, settings, result);
  } catch (const std::bad_alloc&) {
    KVSocketClose(channel);
    SetResultText(run.resultText, kOutOfMemoryText);
    return kUploadFailed;
  }
}
