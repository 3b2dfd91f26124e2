// The session script: the ordered list of entries the dialog engine walks.
// Each entry is three characters of expected reply code directly followed by
// the command text to send; the first entry, "200", stands for the greeting.
#ifndef DATENSCHLEUSE_SESSION_COMMAND_SCRIPT_H
#define DATENSCHLEUSE_SESSION_COMMAND_SCRIPT_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Slots are added ten at a time; an entry may later grow in place by CR LF and
// four CRC digits.
constexpr std::int32_t kScriptCapacityStep = 10;

using ScriptEntry = std::string;

struct CommandScript {
  std::int32_t capacity = 0;          // 10, 20, 30, ...; entries.size() <= capacity
  std::vector<ScriptEntry> entries;   // in append order
};

// Appends a copy of text, creating the script on first use. Returns 1 when
// the copy was appended, 0 when memory ran out (the script is then unchanged,
// or still absent).
int AddScriptEntry(std::unique_ptr<CommandScript>& script, std::string_view text);

// Releases every entry and the script itself; an absent script is accepted.
// Returns 0.
int FreeCommandScript(std::unique_ptr<CommandScript>& script);

#endif  // DATENSCHLEUSE_SESSION_COMMAND_SCRIPT_H
