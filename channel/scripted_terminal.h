// The scripted socket layer (socket_layer_scripted.cpp, target
// ds_channel_scripted): a terminal without a network, for in-process dialog
// tests and the fuzz targets. It plays a list of steps in order: it sends
// pieces, reads the tool's command lines or data, pauses, falls silent,
// stops reading, closes or resets. Nothing waits: the layer keeps a clock of
// its own, which the channel's deadlines follow; a pause moves it on, and a
// wait that the script cannot satisfy (the terminal waits for the tool, or
// it is silent) runs out at once, its whole time passed on that clock. After
// the last step the terminal has closed the connection. It implements channel/socket_layer.h, so
// the channel's own logic runs unchanged above it; one thread, one connection at a time.
#ifndef DATENSCHLEUSE_CHANNEL_SCRIPTED_TERMINAL_H
#define DATENSCHLEUSE_CHANNEL_SCRIPTED_TERMINAL_H

#include <cstddef>
#include <string>
#include <vector>

struct ScriptedStep {
  enum class Kind {
    kSend,         // bytes for the tool, one receive's worth at most
    kReadLine,     // the tool's bytes up to and including the next CR LF
    kReadBytes,    // count more of the tool's bytes
    kPause,        // count milliseconds pass before the next step
    kSilence,      // the tool's next wait for a reply runs out
    kStopReading,  // the terminal takes nothing more: sends run out
    kClose,        // the terminal closes its end
    kReset,        // the terminal resets the connection (10054)
  };
  Kind kind = Kind::kClose;
  std::string bytes;      // kSend
  std::size_t count = 0;  // kReadBytes, kPause
};

namespace scripted {
ScriptedStep Send(std::string bytes);
ScriptedStep ReadLine();
ScriptedStep ReadBytes(std::size_t count);
ScriptedStep Pause(std::size_t milliseconds);
ScriptedStep Silence();
ScriptedStep StopReading();
ScriptedStep Close();
ScriptedStep Reset();
}  // namespace scripted

struct ScriptedTerminal {
  std::vector<ScriptedStep> steps;
  int resolveError = 0;  // a host name lookup fails with this (11001: host unknown)
  int connectError = 0;  // the connection attempt ends with this (10061: refused)

  std::size_t next = 0;    // the step in hand
  std::size_t offset = 0;  // bytes of a send step delivered, milliseconds of a pause passed
  std::size_t read = 0;    // bytes of sent the terminal has read
  std::string sent;        // everything the tool has sent
  long long clockMs = 0;   // the layer's clock (SocketNow gives its seconds)
  int opened = 0;          // sockets created
  int closed = 0;          // sockets released
  int layerStarts = 0;     // calls of SocketLayerStart
};

// The terminal the layer plays; reset it (= ScriptedTerminal{}) and give it
// its steps before each dialog.
ScriptedTerminal& TheScriptedTerminal();

#endif  // DATENSCHLEUSE_CHANNEL_SCRIPTED_TERMINAL_H
