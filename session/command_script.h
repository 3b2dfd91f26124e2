// The session script: the ordered list of entries the dialog engine walks.
// Each entry is three characters of expected reply code directly followed by
// the command text to send; the first entry, "200", stands for the greeting.
#ifndef DATENSCHLEUSE_SESSION_COMMAND_SCRIPT_H
#define DATENSCHLEUSE_SESSION_COMMAND_SCRIPT_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

using ScriptEntry = std::string;

struct CommandScript {
  std::vector<ScriptEntry> entries;  // in append order
  // Set when an append ran out of memory: the script no longer holds every
  // entry it was meant to, and a dialog over it ends as out of memory.
  bool entryLost = false;
};

// Appends a copy of text, creating the script on first use. Returns 1 when
// the copy was appended, 0 when memory ran out (the entries are then
// unchanged and the script is marked entryLost, or it is still absent).
int AddScriptEntry(std::unique_ptr<CommandScript>& script, std::string_view text);

// Releases every entry and the script itself; an absent script is accepted.
void FreeCommandScript(std::unique_ptr<CommandScript>& script);

#endif  // DATENSCHLEUSE_SESSION_COMMAND_SCRIPT_H
