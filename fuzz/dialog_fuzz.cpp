// The whole dialog on whatever a terminal sends: the engine, the download
// sender, the upload receiver with its store and the channel's own logic,
// run over a scripted socket layer (channel/scripted_terminal.h) that
// delivers the terminal's bytes in exactly the pieces the input names.
//
// Input layout:
//   byte 0     transfer: (b & 0x7F) % 5 picks DNL, DNL of 1024 bytes, DNLA,
//              UPL, UPL with delete; bit 7 switches verbose mode on
//   pieces     each a 2-byte big-endian header and its bytes: bit 15 set
//              makes the piece wait for one more command line of the tool
//              (it starts the reply to it), bits 0-14 give the length
// Checked whatever the terminal sends: the result line stays within its
// capacity; the channel is closed at the end; every download's data and its
// END command match the server file; a delete is sent only after the server
// file has been replaced; no half-written file is left beside the target.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "channel/kv_socket.h"
#include "channel/scripted_terminal.h"
#include "crypto/crc16.h"
#include "dialog/dialog_engine.h"
#include "dialog/reply.h"
#include "driver/dialog_request.h"
#include "driver/script_builder.h"
#include "fuzz/fuzz_target.h"
#include "platform/platform.h"
#include "session/transfer_run.h"

namespace {

const std::string kBookings = "4711;0800;K\n4711;1630;G\n";
// An old server file no upload can produce: uploaded data holds no NUL.
const std::string kOldServerFile = std::string("alt\0\r\n", 6);

void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = OpenFile(path, "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  FUZZ_CHECK(std::fclose(file) == 0);
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return bytes;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

std::string LargeFile() {
  std::string bytes(1024, 'x');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('A' + i % 26);
  return bytes;
}

// The server's files, made once per process; the name lives in a plain
// array, which the exit handler can still read.
const std::string& ServerDirectory() {
  static char name[64];
  static const std::string directory = [] {
    std::snprintf(name, sizeof name, "%s/ds-fuzz-dialog-XXXXXX", ScratchDirectory());
    FUZZ_CHECK(::mkdtemp(name) != nullptr);
    const std::string path = name;
    std::filesystem::create_directory(path + "/T1");
    WriteFile(path + "/Leser.dta", kBookings);
    WriteFile(path + "/Gross.dta", LargeFile());
    WriteFile(path + "/T1/DNLLIST.TXT", "A.DTA\nB.DTA\n");
    WriteFile(path + "/T1/A.DTA", kBookings);
    WriteFile(path + "/T1/B.DTA", "");
    WriteFile(path + "/T1/IDSTAMM.DTA", "4711;Meier\n");
    std::atexit([] { std::filesystem::remove_all(name); });
    return path;
  }();
  return directory;
}

// The terminal's steps: each piece is sent once the tool has sent the
// command lines its header asks for (one more line read per bit 15).
std::vector<ScriptedStep> ReadSteps(const std::uint8_t* data, std::size_t size) {
  std::vector<ScriptedStep> steps;
  std::size_t i = 0;
  while (i + 2 <= size) {
    const unsigned header = static_cast<unsigned>(data[i]) << 8 | data[i + 1];
    i += 2;
    if ((header & 0x8000u) != 0) steps.push_back(scripted::ReadLine());
    const std::size_t length = std::min<std::size_t>(header & 0x7FFFu, size - i);
    if (length > 0) steps.push_back(scripted::Send(std::string(AsText(data + i, length))));
    i += length;
  }
  return steps;
}

std::size_t LinesIn(const std::string& sent) {
  std::size_t lines = 0;
  for (std::size_t at = sent.find("\r\n"); at != std::string::npos;
       at = sent.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

TransferRun StartRun(unsigned kind) {
  const std::string& dir = ServerDirectory();
  TransferRun run;
  run.terminalName = "127.0.0.1";
  switch (kind) {
    case 0:
    case 1:
      run.transferType = "DNL";
      run.sourceFile = dir + (kind == 0 ? "/Leser.dta" : "/Gross.dta");
      run.targetFile = kind == 0 ? "Leser.dta" : "Gross.dta";
      break;
    case 2:
      run.transferType = "DNLA";
      run.sourceFile = dir + "/T1/";
      run.targetFile = "xxx";
      break;
    default:
      run.transferType = "UPL";
      run.sourceFile = "Bew.dta";
      run.targetFile = dir + "/Bew.dta";
      run.deleteFlag = kind == 4 ? 1 : 0;
      break;
  }
  return run;
}

// Every "DOWNLOADFILE END " the tool sent follows the data of its start
// command: as many bytes as announced, the server file's bytes, and the END
// carries their CRC.
void CheckDownloads(const std::string& sent, const TransferRun& run) {
  const std::string dir =
      run.transferType == "DNLA" ? ServerDirectory() + "/T1/" : ServerDirectory() + "/";
  std::size_t at = 0;
  while ((at = sent.find("DOWNLOADFILE BEGIN TYP=1 \"", at)) != std::string::npos) {
    const std::size_t nameStart = at + 26;
    const std::size_t nameEnd = sent.find('"', nameStart);
    const std::size_t lineEnd = sent.find("\r\n", at);
    FUZZ_CHECK(nameEnd != std::string::npos && lineEnd != std::string::npos);
    const std::string name = sent.substr(nameStart, nameEnd - nameStart);
    const std::string file = ReadFile(dir + name);
    const std::size_t end = sent.find("DOWNLOADFILE END ", lineEnd);
    at = lineEnd;
    if (end == std::string::npos) continue;  // the dialog broke off in this download
    FUZZ_CHECK(sent.compare(lineEnd + 2, end - lineEnd - 2, file) == 0);
    const std::string crc = Crc16Text(Crc16Block(file.data(), file.size(), 0)) + "\r\n";
    FUZZ_CHECK(sent.compare(end + 17, 6, crc) == 0);
  }
}

}  // namespace

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string& dir = ServerDirectory();
  WriteFile(dir + "/Bew.dta", kOldServerFile);
  ScriptedTerminal& peer = TheScriptedTerminal();
  peer = ScriptedTerminal{};
  peer.steps = ReadSteps(data + 1, size - 1);

  TransferRun run = StartRun((data[0] & 0x7Fu) % 5u);
  run.verbose = (data[0] & 0x80u) != 0 ? 1 : 0;
  FUZZ_CHECK(BuildSessionScript(run) == 0);
  int error = 0;
  KVSocket* channel = KVSocketCreate(&error);
  FUZZ_CHECK(channel != nullptr);
  const DialogOutcome outcome = RunTerminalDialog(channel, DialogRequestOf(run), run.script);
  FUZZ_CHECK(peer.closed == peer.opened);
  KVSocketDestroy(channel);

  FUZZ_CHECK(outcome.resultText.size() <= kResultTextCapacity);
  // Result 0 means the whole script, and nothing else: a refusal whose first
  // three characters hold no number ends with 99. The whole script has sent
  // every command; no data file holds a CR LF, so the command lines are the
  // CR LF pairs sent.
  const bool completed = LinesIn(peer.sent) + 1 == run.script->entries.size();
  if (outcome.code == 0 && !outcome.endProcess) FUZZ_CHECK(completed);
  CheckDownloads(peer.sent, run);
  const std::string stored = ReadFile(dir + "/Bew.dta");
  if (peer.sent.find("DELETEFILE") != std::string::npos) FUZZ_CHECK(stored != kOldServerFile);
  FUZZ_CHECK(stored == kOldServerFile || stored.find('\0') == std::string::npos);
  std::size_t entries = 0;
  for (const auto& item : std::filesystem::directory_iterator(dir)) {
    (void)item;
    ++entries;
  }
  FUZZ_CHECK(entries == 4);  // T1, Leser.dta, Gross.dta, Bew.dta and nothing half-written
  return 0;
}
