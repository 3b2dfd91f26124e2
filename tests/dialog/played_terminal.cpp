#include "tests/dialog/played_terminal.h"

std::vector<ScriptedStep> LoginSteps() {
  return {Send("200 Terminal bereit\r\n"), ReadLine(), Send("331 Passwort\r\n"), ReadLine(),
          Send("230 angemeldet\r\n")};
}

PlayedTerminal::PlayedTerminal(std::vector<ScriptedStep> steps) {
  ScriptedTerminal& terminal = TheScriptedTerminal();
  terminal = ScriptedTerminal{};
  terminal.steps = std::move(steps);
}

std::string PlayedTerminal::Transcript() const {
  return TheScriptedTerminal().sent;
}

bool PlayedTerminal::Connected() const {
  return TheScriptedTerminal().opened > 0;
}
