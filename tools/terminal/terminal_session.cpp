#include "tools/terminal/terminal_session.h"

#include <string_view>

#include "crypto/crc16.h"
#include "tools/terminal/reply_delivery.h"
#include "tools/terminal/terminal_commands.h"
#include "tools/terminal/terminal_connection.h"
#include "tools/terminal/terminal_files.h"

namespace {

constexpr int kStepCount = 7;

// Stands for the reply text of a step whose reply the fault plan replaces
// with its own refusal; it is never sent.
constexpr const char* kPlannedRefusal = "planned refusal";

struct Session {
  Session(const TerminalOptions& sessionOptions, TerminalLog& sessionLog)
      : options(sessionOptions), log(sessionLog) {}

  const TerminalOptions& options;
  TerminalLog& log;
  TerminalConnection connection;
  int occurrences[kStepCount] = {};
  std::string user;  // login text of an accepted USER
  bool loggedIn = false;
};

// The faults of the step's next reply; counting replies per step lets a
// fault hit only the N-th one.
std::vector<Fault> NextFaults(Session& session, TerminalStep step) {
  const int occurrence = ++session.occurrences[static_cast<int>(step)];
  return FaultsAt(session.options.faults, step, occurrence);
}

// Sends text as the step's reply, or the plan's refusal instead. False when
// the connection has ended.
bool Reply(Session& session, const std::vector<Fault>& faults, const std::string& text) {
  const Fault* refusal = FindFault(faults, FaultKind::kRefuse);
  Delivery delivery{session.connection, session.log, session.options.pauseMs};
  return DeliverReply(delivery, faults, (refusal != nullptr ? refusal->text : text) + "\r\n");
}

// Logs why the connection ends, releases it and returns false.
bool EndSession(Session& session, const char* why) {
  LogLine(session.log, why);
  CloseConnection(session.connection.socket);
  session.connection.socket = kNoTerminalSocket;
  return false;
}

bool IsRefused(const std::vector<Fault>& faults) {
  return FindFault(faults, FaultKind::kRefuse) != nullptr;
}

std::string Quoted(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

void LogCommand(Session& session, std::string_view command) {
  // Name and password are the same text, so both stay out of the log.
  if (command.substr(0, 5) == "USER " || command.substr(0, 5) == "PASS ") {
    LogLine(session.log, "< " + std::string(command.substr(0, 5)) + "**********");
  } else {
    LogLine(session.log, "< " + Printable(command));
  }
}

bool HandleUser(Session& session, std::string_view text) {
  const std::vector<Fault> faults = NextFaults(session, TerminalStep::kUser);
  if (IsRefused(faults)) return Reply(session, faults, kPlannedRefusal);
  if (!IsLoginText(text)) return Reply(session, faults, "530 Kennung ungueltig");
  session.user = text;
  session.loggedIn = false;
  return Reply(session, faults, "331 Kennung angenommen, Passwort erwartet");
}

bool HandlePass(Session& session, std::string_view text) {
  const std::vector<Fault> faults = NextFaults(session, TerminalStep::kPass);
  if (IsRefused(faults)) return Reply(session, faults, kPlannedRefusal);
  if (session.user.empty()) return Reply(session, faults, "503 zuerst USER, dann PASS");
  if (!IsLoginText(text) || text != session.user) {
    return Reply(session, faults, "530 Passwort abgelehnt");
  }
  session.loggedIn = true;
  return Reply(session, faults, "230 angemeldet");
}

// The refusal a transfer command gets before it is looked at, or empty.
std::string RefusalBeforeTransfer(const Session& session, const std::vector<Fault>& faults) {
  if (IsRefused(faults)) return kPlannedRefusal;
  if (!session.loggedIn) return "530 nicht angemeldet";
  return std::string();
}

// Receives the announced bytes into a new file beside the target, with their
// CRC and digest. False when the connection ended on the way.
bool ReceiveDownloadData(Session& session, const DownloadAnnouncement& announcement,
                         IncomingFile& incoming, std::uint16_t& crc, MD5Context& digest) {
  crc = 0;
  StartNameDigest(digest, announcement.name);
  std::int64_t received = 0;
  const ReadOutcome outcome = ReadDataBytes(
      session.connection, announcement.size, kClientWaitMs,
      [&](const char* data, std::size_t length) {
        WriteIncomingFile(incoming, data, length);
        crc = Crc16Block(data, length, crc);
        MD5Update(digest, data, length);
      },
      received);
  if (outcome == ReadOutcome::kRead) {
    LogLine(session.log, "= " + std::to_string(received) + " data bytes received");
    return true;
  }
  LogLine(session.log, "connection ended after " + std::to_string(received) + " of " +
                           std::to_string(announcement.size) + " data bytes");
  return false;
}

// The reply to DOWNLOADFILE END: its CRC and the announced digest must fit
// the data received, and only then is the file kept.
std::string FinishDownload(const DownloadAnnouncement& announcement, std::string_view endLine,
                           IncomingFile& incoming, std::uint16_t crc, MD5Context& digest) {
  std::string sentCrc;
  std::string refusal = ParseDownloadEnd(endLine, sentCrc);
  const std::string computedCrc = Crc16Text(crc);
  const std::string computedDigest = FinishDigestText(digest);
  if (refusal.empty() && sentCrc != computedCrc) {
    refusal = "552 CRC stimmt nicht: gesendet " + sentCrc + ", berechnet " + computedCrc;
  } else if (refusal.empty() && announcement.digest != computedDigest) {
    refusal = "553 MD5-Pruefsumme stimmt nicht: angekuendigt " + announcement.digest +
              ", berechnet " + computedDigest;
  }
  if (!refusal.empty()) return refusal;  // the caller discards the new file
  if (!CommitIncomingFile(incoming)) {
    return "551 Datei " + Quoted(announcement.name) + " kann nicht gespeichert werden";
  }
  // \374 is the u umlaut of Windows-1252.
  return "250 Datei " + Quoted(announcement.name) + " \374bernommen (" +
         std::to_string(announcement.size) + " Bytes)";
}

// Takes the data and the DOWNLOADFILE END line that follow an accepted
// download start, and answers the END. False when the connection has ended.
bool ReceiveAndConfirm(Session& session, const DownloadAnnouncement& announcement,
                       IncomingFile& incoming) {
  std::uint16_t crc = 0;
  MD5Context digest;
  if (!ReceiveDownloadData(session, announcement, incoming, crc, digest)) {
    return EndSession(session, "connection closed");
  }
  std::string endLine;
  if (ReadCommandLine(session.connection, endLine, kClientWaitMs) != ReadOutcome::kRead) {
    return EndSession(session, "connection ended before DOWNLOADFILE END");
  }
  if (endLine.size() >= 2 && endLine.compare(endLine.size() - 2, 2, "\r\n") == 0) {
    endLine.resize(endLine.size() - 2);
  }
  LogCommand(session, endLine);
  const std::vector<Fault> faults = NextFaults(session, TerminalStep::kEnd);
  std::string reply = kPlannedRefusal;
  if (!IsRefused(faults)) {
    reply = FinishDownload(announcement, endLine, incoming, crc, digest);
  }
  return Reply(session, faults, reply);
}

bool HandleDownload(Session& session, std::string_view line) {
  const std::vector<Fault> faults = NextFaults(session, TerminalStep::kDownload);
  std::string refusal = RefusalBeforeTransfer(session, faults);
  DownloadAnnouncement announcement;
  if (refusal.empty()) refusal = ParseDownloadBegin(line, announcement);
  if (refusal.empty() && !IsPlainFileName(announcement.name)) {
    refusal = "501 Dateiname nicht zulaessig: " + Quoted(announcement.name);
  }
  IncomingFile incoming;
  if (refusal.empty() && !BeginIncomingFile(incoming, TerminalFilePath(session.options.directory,
                                                                       announcement.name))) {
    refusal = "551 Datei " + Quoted(announcement.name) + " kann nicht angelegt werden";
  }
  if (!refusal.empty()) return Reply(session, faults, refusal);

  const bool open =
      Reply(session, faults, "200 bereit fuer " + std::to_string(announcement.size) + " Bytes") &&
      ReceiveAndConfirm(session, announcement, incoming);
  DiscardIncomingFile(incoming);  // nothing left to discard after a commit
  return open;
}

bool HandleUpload(Session& session, std::string_view line) {
  const std::vector<Fault> faults = NextFaults(session, TerminalStep::kUpload);
  std::string refusal = RefusalBeforeTransfer(session, faults);
  std::string name;
  if (refusal.empty()) refusal = ParseFileCommand(line, "UPLOADFILE", name);
  if (refusal.empty() && !IsPlainFileName(name)) {
    refusal = "501 Dateiname nicht zulaessig: " + Quoted(name);
  }
  std::string data;
  if (refusal.empty() &&
      !ReadTerminalFile(TerminalFilePath(session.options.directory, name), data)) {
    refusal = "550 Datei " + Quoted(name) + " nicht gefunden";
  }
  if (!refusal.empty()) return Reply(session, faults, refusal);

  FrameFaults frameFaults;
  frameFaults.crcLower = FindFault(faults, FaultKind::kCrcLower) != nullptr;
  frameFaults.crcWrong = FindFault(faults, FaultKind::kCrcWrong) != nullptr;
  frameFaults.lengthWrong = FindFault(faults, FaultKind::kLengthWrong) != nullptr;
  if (const Fault* declare = FindFault(faults, FaultKind::kDeclare)) {
    frameFaults.declared = declare->value;
  }
  frameFaults.noBegin = FindFault(faults, FaultKind::kNoBegin) != nullptr;
  frameFaults.noLineEnd = FindFault(faults, FaultKind::kNoLineEnd) != nullptr;
  const std::string frame = BuildUploadFrame(data, frameFaults);
  const std::size_t head = frame.size() - data.size() - kUploadTrailerLength;
  const std::size_t firstLineLength = frameFaults.noLineEnd ? head : head - 2;
  const std::string logText = frame.substr(0, firstLineLength) + " + " +
                              std::to_string(data.size()) + " data bytes + " +
                              Printable(frame.substr(head + data.size()));
  Delivery delivery{session.connection, session.log, session.options.pauseMs};
  return DeliverReply(delivery, faults, frame, logText);
}

bool HandleDelete(Session& session, std::string_view line) {
  const std::vector<Fault> faults = NextFaults(session, TerminalStep::kDelete);
  std::string refusal = RefusalBeforeTransfer(session, faults);
  std::string name;
  if (refusal.empty()) refusal = ParseFileCommand(line, "DELETEFILE", name);
  if (refusal.empty() && !IsPlainFileName(name)) {
    refusal = "501 Dateiname nicht zulaessig: " + Quoted(name);
  }
  if (refusal.empty() && !DeleteTerminalFile(TerminalFilePath(session.options.directory, name))) {
    refusal = "550 Datei " + Quoted(name) + " nicht gefunden";
  }
  if (!refusal.empty()) return Reply(session, faults, refusal);
  return Reply(session, faults, "200 Datei " + Quoted(name) + " gel\xF6scht");
}

// Answers one command line (without its CR LF); false when the connection
// has ended.
bool HandleCommand(Session& session, std::string_view command) {
  const auto startsWith = [&](std::string_view prefix) {
    return command.substr(0, prefix.size()) == prefix;
  };
  if (startsWith("USER ")) return HandleUser(session, command.substr(5));
  if (startsWith("PASS ")) return HandlePass(session, command.substr(5));
  if (startsWith("DOWNLOADFILE BEGIN ")) return HandleDownload(session, command);
  if (startsWith("UPLOADFILE ")) return HandleUpload(session, command);
  if (startsWith("DELETEFILE ")) return HandleDelete(session, command);
  if (startsWith("DOWNLOADFILE END")) {
    return Reply(session, {}, "503 kein DOWNLOADFILE BEGIN vorausgegangen");
  }
  return Reply(session, {}, "500 unbekannter Befehl");
}

const char* EndingText(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::kPeerClosed:
      return "closed by the client";
    case ReadOutcome::kPeerReset:
      return "reset by the client";
    case ReadOutcome::kTimedOut:
      return "no command within the wait, closing";
    default:
      return "connection failed";
  }
}

// Reads and answers command lines until the connection ends.
void RunCommandLoop(Session& session) {
  for (;;) {
    std::string line;
    const ReadOutcome outcome = ReadCommandLine(session.connection, line, kClientWaitMs);
    if (outcome == ReadOutcome::kTooLong) {
      if (Reply(session, {}, "500 Befehlszeile zu lang")) EndSession(session, "connection closed");
      return;
    }
    if (outcome != ReadOutcome::kRead) {
      EndSession(session, EndingText(outcome));
      return;
    }
    const bool crLf = line.size() >= 2 && line[line.size() - 2] == '\r';
    line.resize(line.size() - (crLf ? 2 : 1));
    LogCommand(session, line);
    bool open = true;
    if (!crLf) {
      open = Reply(session, {}, "500 Befehlszeile endet nicht mit CR LF");
    } else if (line.find('\0') != std::string::npos) {
      open = Reply(session, {}, "500 NUL-Byte im Befehl");
    } else {
      open = HandleCommand(session, line);
    }
    if (!open) return;
  }
}

}  // namespace

void ServeConnection(TerminalSocket socket, const TerminalOptions& options, TerminalLog& log) {
  Session session(options, log);
  session.connection.socket = socket;
  if (!Reply(session, NextFaults(session, TerminalStep::kGreeting), options.greeting)) return;
  RunCommandLoop(session);
}
