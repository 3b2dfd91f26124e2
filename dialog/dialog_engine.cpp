#include "dialog/dialog_engine.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <string_view>

#include "crypto/crc16.h"
#include "dialog/dialog_texts.h"
#include "dialog/download_all.h"
#include "dialog/download_sender.h"
#include "dialog/reply.h"
#include "dialog/upload_receiver.h"
#include "platform/platform.h"
#include "session/transfer_run.h"

namespace {

using ReplyBuffer = std::array<char, kReplyLimit + 1>;

// One dialog in progress: what it was given, where it stands, what it found.
struct Dialog {
  KVSocket* channel;
  const DialogRequest& request;
  CommandScript& script;
  const DialogSettings& settings;
  std::size_t position = 0;  // entry whose reply is awaited
  std::string downloadAllDir;
  bool outOfMemory = false;  // the dialog ends as out of memory
  DialogOutcome outcome;
};

// Closes the channel when the dialog ends, whichever way it ends.
struct ChannelGuard {
  KVSocket* channel;
  ~ChannelGuard() { KVSocketClose(channel); }
};

// Sets the result line to a message with the code it ends with; returns the
// code.
int FailWith(Dialog& dialog, const char* format, int code) {
  char text[96];
  std::snprintf(text, sizeof text, format, code);
  SetResultText(dialog.outcome.resultText, text);
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
bool IsDownloadAll(const Dialog& dialog) {
  return dialog.request.transferType == "DNLA";
}

// The server path of the file a download start entry names: the download-all
// directory and the text between the entry's first two double quotes.
std::string DownloadAllSource(const Dialog& dialog, std::string_view entry) {
  const std::size_t open = entry.find('"');
  if (open == std::string_view::npos) return dialog.downloadAllDir;
  const std::size_t close = entry.find('"', open + 1);
  return dialog.downloadAllDir + std::string(entry.substr(open + 1, close - (open + 1)));
}

// Takes the download-all's entries into the script. Returns true when the
// dialog goes on; false when it ended with result.
bool ExpandList(Dialog& dialog, std::unique_ptr<CommandScript>& script, int& result) {
  const DownloadAllExpansion expansion =
      ExpandDownloadAll(dialog.request.sourceFile, dialog.request.verbose, script);
  dialog.downloadAllDir = expansion.directory;
  dialog.outcome.downloadAllDir = expansion.directory;
  if (!expansion.fileInHand.empty()) dialog.outcome.fileInHand = expansion.fileInHand;
  dialog.outOfMemory = expansion.outOfMemory;
  if (dialog.outOfMemory) return false;
  dialog.outcome.endProcess = expansion.result == kExitCannotSize;
  result = expansion.result;
  return result == 0;
}

// Resolves the terminal and connects. Returns true when the dialog goes on
// with result as its initial result; false when it ended with result.
bool Connect(Dialog& dialog, int& result) {
  KVSocket* channel = dialog.channel;
  const std::string terminalName(dialog.request.terminalName);
  KVSocketSetAddress(channel, terminalName.c_str());
  const int resolved = KVSocketSetHostName(channel, terminalName.c_str());
  if (resolved != 0) {
    ConsoleWrite(kHostNotFoundText);
    result = FailWith(dialog, kHostUnknownFormat, resolved);
    return false;
  }
  KVSocketSetPort(channel, dialog.settings.port);
  result = KVSocketSetTimeout(channel, dialog.settings.timeoutSeconds);
  if (KVSocketOpen(channel) != 0) {
    const int error = KVSocketLastError(channel);
    VerbosePrintf(dialog.request.verbose, kOpenErrorFormat, error);
    result = FailWith(dialog, kOpenFailedFormat, error);
    return false;
  }
  return true;
}

// Ends the dialog on a reply that does not carry the awaited code.
int Refuse(Dialog& dialog, std::string_view entry, std::string_view reply) {
  if (IsDownloadAll(dialog) && IsDownloadStartEntry(entry)) {
    dialog.outcome.fileInHand = DownloadAllSource(dialog, entry);
  }
  SetResultText(dialog.outcome.resultText, RefusalResultText(reply));
  return RefusalResult(dialog.outcome.resultText);
}

// Receives the upload the matched entry opens. Returns 0 to go on, else the
// dialog's result.
int RunUpload(Dialog& dialog, std::string_view reply) {
  const UploadReceived received =
      ReceiveUpload(dialog.channel, dialog.request.targetFile, dialog.request.verbose, reply,
                    dialog.settings.uploadMemoryLimit);
  if (!received.resultText.empty()) SetResultText(dialog.outcome.resultText, received.resultText);
  if (received.result != 0) {
    VerbosePrintf(dialog.request.verbose, kUploadErrorFormat, received.result);
  }
  return received.result;
}

// Sends the file the matched download start entry names and appends the data
// CRC to the download end entry after it. Returns 0 to go on, else the
// dialog's result.
int RunDownload(Dialog& dialog, std::string_view entry) {
  std::string sourceFile(dialog.request.sourceFile);
  if (IsDownloadAll(dialog)) {
    sourceFile = DownloadAllSource(dialog, entry);
    dialog.outcome.fileInHand = sourceFile;
  }
  const DownloadSent sent = SendDownload(dialog.channel, sourceFile, dialog.request.verbose);
  if (sent.result != 0) {
    VerbosePrintf(dialog.request.verbose, kDownloadErrorFormat, sent.result);
    return sent.result;
  }
  const std::size_t endEntry = dialog.position + 1;
  if (endEntry < dialog.script.entries.size()) {
    dialog.script.entries[endEntry] += Crc16Text(sent.crc);
  }
  return 0;
}

// Runs the data phase that the matched entry opens, and takes the result line
// from a download end reply. Returns 0 to go on, else the dialog's result.
int RunMatchedEntry(Dialog& dialog, std::string_view entry, std::string_view reply) {
  if (IsUploadEntry(entry)) {
    const int result = RunUpload(dialog, reply);
    if (result != 0) return result;
  }
  if (IsDownloadStartEntry(entry)) {
    const int result = RunDownload(dialog, entry);
    if (result != 0) return result;
  }
  if (IsDownloadEndEntry(entry)) SetResultText(dialog.outcome.resultText, ReplyResultText(reply));
  return 0;
}

// Sends the command of the entry at the next position with its CR LF.
// Returns 0, or the channel's error when the command did not go out whole.
int SendNextCommand(Dialog& dialog) {
  ++dialog.position;
  ScriptEntry& entry = dialog.script.entries[dialog.position];
  entry += "\r\n";
  const std::string_view command = std::string_view(entry).substr(3);
  const int length = static_cast<int>(command.size());
  if (KVSocketSend(dialog.channel, command.data(), length, 1) != length) {
    const int error = KVSocketLastError(dialog.channel);
    ConsolePrintf(kWriteErrorFormat, error);
    return FailWith(dialog, kWriteFailedFormat, error);
  }
  // Only the shown copy is masked: the entry itself must keep its text, which
  // still decides the data phase of its reply.
  VerboseWrite(dialog.request.verbose, kCommandShownPrefix);
  VerboseWrite(dialog.request.verbose, MaskedCommandText(command));
  VerboseWrite(dialog.request.verbose, "\n");
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
bool ReadReply(Dialog& dialog, ReplyBuffer& buffer, bool afterUpload, std::string_view& reply,
               int& result) {
  buffer.fill('\0');
  int skip = 0;
  const int n = ReceiveReply(dialog.channel, buffer, afterUpload, skip);
  if (n < 1) {
    const int error = KVSocketLastError(dialog.channel);
    VerbosePrintf(dialog.request.verbose, kReadErrorFormat, error);
    result = FailWith(dialog, kReadFailedFormat, error);
    return false;
  }
  reply = ReplyTextOf(std::string_view(buffer.data() + skip, static_cast<std::size_t>(n - skip)));
  ShowReply(dialog.request.verbose, reply, "\n");
  return true;
}

// Walks the script from the greeting until its last entry's reply has
// matched, or the first refusal or failure.
int WalkScript(Dialog& dialog, int dialogResult) {
  ReplyBuffer buffer;
  const std::size_t count = dialog.script.entries.size();
  bool afterUpload = false;
  while (dialog.position < count) {
    std::string_view reply;
    int result = 0;
    if (!ReadReply(dialog, buffer, afterUpload, reply, result)) return result;
    const std::string_view entry = dialog.script.entries[dialog.position];
    if (!ReplyCodeMatches(reply, entry)) return Refuse(dialog, entry, reply);
    result = RunMatchedEntry(dialog, entry, reply);
    if (result != 0) return result;
    afterUpload = IsUploadEntry(entry);
    if (dialog.position + 1 >= count) break;
    result = SendNextCommand(dialog);
    if (result != 0) return result;
  }
  return dialogResult;
}

bool ScriptUsable(const std::unique_ptr<CommandScript>& script) {
  return script != nullptr && !script->entryLost;
}

// Connects, completes a download-all's script and walks it. Returns the
// dialog's result.
int RunDialog(Dialog& dialog, std::unique_ptr<CommandScript>& script) {
  int result = 0;
  if (!Connect(dialog, result)) return result;
  if (IsDownloadAll(dialog) && !ExpandList(dialog, script, result)) return result;
  return WalkScript(dialog, result);
}

// The one ending of every allocation that failed: 99 and the out-of-memory
// line, with the file in hand and the directory the dialog had found.
DialogOutcome OutOfMemoryEnding(DialogOutcome found) {
  found.code = kUploadFailed;
  SetResultText(found.resultText, kOutOfMemoryText);
  found.endProcess = false;
  return found;
}

}  // namespace

DialogOutcome RunTerminalDialog(KVSocket* channel, const DialogRequest& request,
                                std::unique_ptr<CommandScript>& script,
                                const DialogSettings& settings) {
  if (!ScriptUsable(script)) {
    DialogOutcome lost;
    lost.fileInHand = std::string(request.sourceFile);
    return OutOfMemoryEnding(lost);
  }
  ChannelGuard guard{channel};
  Dialog dialog{channel, request, *script, settings, 0, {}, false, {}};
  dialog.outcome.fileInHand = std::string(request.sourceFile);
  try {
    dialog.outcome.code = RunDialog(dialog, script);
  } catch (const std::bad_alloc&) {
    dialog.outOfMemory = true;
  }
  return dialog.outOfMemory ? OutOfMemoryEnding(dialog.outcome) : dialog.outcome;
}
