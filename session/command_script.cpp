#include "session/command_script.h"

#include <new>

int AddScriptEntry(std::unique_ptr<CommandScript>& script, std::string_view text) {
  std::unique_ptr<CommandScript> created;
  CommandScript* target = script.get();
  if (target == nullptr) {
    created.reset(new (std::nothrow) CommandScript);
    if (created == nullptr) return 0;
    target = created.get();
  }
  try {
    if (static_cast<std::int32_t>(target->entries.size()) == target->capacity) {
      target->entries.reserve(static_cast<std::size_t>(target->capacity + kScriptCapacityStep));
      target->capacity += kScriptCapacityStep;
    }
    target->entries.emplace_back(text);
  } catch (const std::bad_alloc&) {
    return 0;  // the script keeps what it had; a fresh one is never installed
  }
  if (created != nullptr) script = std::move(created);
  return 1;
}

int FreeCommandScript(std::unique_ptr<CommandScript>& script) {
  script.reset();
  return 0;
}
