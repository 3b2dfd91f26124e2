// The terminal of an in-process dialog test: the scripted socket layer's
// terminal (channel/scripted_terminal.h) playing a test's steps. No thread,
// no socket, no sleep: pauses pass on the layer's own clock, and a wait the
// steps cannot satisfy runs out at once.
#ifndef DATENSCHLEUSE_TESTS_DIALOG_PLAYED_TERMINAL_H
#define DATENSCHLEUSE_TESTS_DIALOG_PLAYED_TERMINAL_H

#include <string>
#include <vector>

#include "channel/scripted_terminal.h"

using scripted::Close;
using scripted::Pause;
using scripted::ReadBytes;
using scripted::ReadLine;
using scripted::Reset;
using scripted::Send;
using scripted::Silence;
using scripted::StopReading;

// The usual exchange before a transfer command: greeting, USER, PASS.
std::vector<ScriptedStep> LoginSteps();

// Installs the steps as the terminal of the next dialog.
class PlayedTerminal {
 public:
  explicit PlayedTerminal(std::vector<ScriptedStep> steps);

  // Everything the tool sent, byte for byte.
  std::string Transcript() const;
  // Whether the tool connected at all.
  bool Connected() const;
};

#endif  // DATENSCHLEUSE_TESTS_DIALOG_PLAYED_TERMINAL_H
