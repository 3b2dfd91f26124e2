#include "session/command_script.h"

#include <new>

int AddScriptEntry(std::unique_ptr<CommandScript>& script, std::string_view text) {
  if (script == nullptr) {
    script.reset(new (std::nothrow) CommandScript);
    if (script == nullptr) return 0;
  }
  try {
    script->entries.emplace_back(text);
  } catch (const std::bad_alloc&) {
    script->entryLost = true;  // the entries keep what they had
    return 0;
  }
  return 1;
}

void FreeCommandScript(std::unique_ptr<CommandScript>& script) {
  script.reset();
}
