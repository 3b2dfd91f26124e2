#include <algorithm>
#include <cstring>

#include "channel/scripted_terminal.h"
#include "channel/socket_layer.h"

namespace scripted {

ScriptedStep Send(std::string bytes) {
  ScriptedStep step;
  step.kind = ScriptedStep::Kind::kSend;
  step.bytes = std::move(bytes);
  return step;
}

ScriptedStep ReadBytes(std::size_t count) {
  ScriptedStep step;
  step.kind = ScriptedStep::Kind::kReadBytes;
  step.count = count;
  return step;
}

ScriptedStep Pause(std::size_t milliseconds) {
  ScriptedStep step;
  step.kind = ScriptedStep::Kind::kPause;
  step.count = milliseconds;
  return step;
}

namespace {
ScriptedStep StepOf(ScriptedStep::Kind kind) {
  ScriptedStep step;
  step.kind = kind;
  return step;
}
}  // namespace

ScriptedStep ReadLine() {
  return StepOf(ScriptedStep::Kind::kReadLine);
}
ScriptedStep Silence() {
  return StepOf(ScriptedStep::Kind::kSilence);
}
ScriptedStep StopReading() {
  return StepOf(ScriptedStep::Kind::kStopReading);
}
ScriptedStep Close() {
  return StepOf(ScriptedStep::Kind::kClose);
}
ScriptedStep Reset() {
  return StepOf(ScriptedStep::Kind::kReset);
}

}  // namespace scripted

namespace {

using Kind = ScriptedStep::Kind;

constexpr SocketHandle kTheSocket = 7;
constexpr int kWsaEconnreset = 10054;
int lastError = 0;

int Fail(int code) {
  lastError = code;
  return -1;
}

// Takes every read step the tool's bytes already satisfy, and returns the
// step in hand: null once the script is done (the terminal has closed).
const ScriptedStep* StepInHand(ScriptedTerminal& terminal) {
  while (terminal.next < terminal.steps.size()) {
    const ScriptedStep& step = terminal.steps[terminal.next];
    if (step.kind == Kind::kReadLine) {
      const std::size_t end = terminal.sent.find("\r\n", terminal.read);
      if (end == std::string::npos) return &step;
      terminal.read = end + 2;
    } else if (step.kind == Kind::kReadBytes) {
      if (terminal.sent.size() - terminal.read < step.count) return &step;
      terminal.read += step.count;
    } else {
      return &step;
    }
    ++terminal.next;
  }
  return nullptr;
}

// Lets the clock run through the pauses in hand, for at most seconds.
// Returns true when a pause is still in hand afterwards: the wait ran out.
bool RunPauses(ScriptedTerminal& terminal, int seconds) {
  long long budget = seconds < 0 ? 0 : seconds * 1000LL;
  for (;;) {
    const ScriptedStep* step = StepInHand(terminal);
    if (step == nullptr || step->kind != Kind::kPause) return false;
    const long long left = static_cast<long long>(step->count - terminal.offset);
    if (left > budget) {
      terminal.clockMs += budget;
      terminal.offset += static_cast<std::size_t>(budget);
      return true;
    }
    terminal.clockMs += left;
    budget -= left;
    terminal.offset = 0;
    ++terminal.next;
  }
}

// A wait that runs out: its whole time passes.
int RunOut(ScriptedTerminal& terminal, int seconds) {
  if (seconds > 0) terminal.clockMs += seconds * 1000LL;
  return kWaitTimedOut;
}

}  // namespace

ScriptedTerminal& TheScriptedTerminal() {
  static ScriptedTerminal terminal;
  return terminal;
}

std::time_t SocketNow() {
  return static_cast<std::time_t>(TheScriptedTerminal().clockMs / 1000);
}

int SocketLayerStart() {
  ++TheScriptedTerminal().layerStarts;
  return 0;
}

int SocketLastError() {
  return lastError;
}

SocketHandle SocketCreateStream() {
  ++TheScriptedTerminal().opened;
  return kTheSocket;
}

bool SocketSetNonBlocking(SocketHandle) {
  return true;
}

bool SocketConnect(SocketHandle, const SocketDestination&) {
  lastError = kWsaEwouldblock;
  return false;
}

// Room to send unless the terminal has stopped reading.
int SocketWaitWritable(SocketHandle, int seconds) {
  ScriptedTerminal& terminal = TheScriptedTerminal();
  const ScriptedStep* step = StepInHand(terminal);
  if (step != nullptr && step->kind == Kind::kStopReading) return RunOut(terminal, seconds);
  return kWaitReady;
}

// Ready when the terminal sends, closes or resets, once the pauses before
// it have passed within the wait; a silence is spent by the wait it ends; a
// terminal that waits for the tool lets the wait run out.
int SocketWaitReadable(SocketHandle, int seconds) {
  ScriptedTerminal& terminal = TheScriptedTerminal();
  if (RunPauses(terminal, seconds)) return kWaitTimedOut;
  const ScriptedStep* step = StepInHand(terminal);
  if (step == nullptr) return kWaitReady;
  switch (step->kind) {
    case Kind::kSend:
    case Kind::kClose:
    case Kind::kReset:
      return kWaitReady;
    case Kind::kSilence:
      ++terminal.next;
      return RunOut(terminal, seconds);
    default:
      return RunOut(terminal, seconds);
  }
}

int SocketPendingError(SocketHandle) {
  return TheScriptedTerminal().connectError;
}

int SocketSendTo(SocketHandle, const char* data, int length, const SocketDestination&) {
  ScriptedTerminal& terminal = TheScriptedTerminal();
  const ScriptedStep* step = StepInHand(terminal);
  if (step != nullptr && step->kind == Kind::kStopReading) return Fail(kWsaEwouldblock);
  terminal.sent.append(data, static_cast<std::size_t>(length));
  return length;
}

// One call delivers the piece in hand, or as much of it as fits; 0 once the
// terminal has closed.
int SocketReceiveFrom(SocketHandle, char* buffer, int length) {
  ScriptedTerminal& terminal = TheScriptedTerminal();
  const ScriptedStep* step = StepInHand(terminal);
  if (step == nullptr || step->kind == Kind::kClose) return 0;
  if (step->kind == Kind::kReset) return Fail(kWsaEconnreset);
  if (step->kind != Kind::kSend) return Fail(kWsaEwouldblock);
  const std::size_t count =
      std::min(step->bytes.size() - terminal.offset, static_cast<std::size_t>(length));
  std::memcpy(buffer, step->bytes.data() + terminal.offset, count);
  terminal.offset += count;
  if (terminal.offset == step->bytes.size()) {
    ++terminal.next;
    terminal.offset = 0;
  }
  return static_cast<int>(count);
}

bool SocketCloseHandle(SocketHandle) {
  ++TheScriptedTerminal().closed;
  return true;
}

int SocketResolveHost(const char*, std::uint32_t& address) {
  address = 0x0100007Fu;
  return TheScriptedTerminal().resolveError;
}

std::uint32_t SocketParseDottedAddress(const char*) {
  return 0x0100007Fu;
}
