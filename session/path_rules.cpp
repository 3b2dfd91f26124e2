#include "session/path_rules.h"

#include "platform/platform.h"

std::string DirectoryOf(std::string_view path) {
  for (std::size_t i = path.size(); i-- > 0;) {
    if (IsDirectorySeparator(path[i])) return std::string(path.substr(0, i + 1));
  }
  return {};
}
