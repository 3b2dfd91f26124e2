// The path rule the dialog needs: the directory part of a server path, as
// the download-all takes it from its source argument.
#ifndef DATENSCHLEUSE_SESSION_PATH_RULES_H
#define DATENSCHLEUSE_SESSION_PATH_RULES_H

#include <string>
#include <string_view>

// Everything up to and including the last directory separator; empty when
// the path has none.
std::string DirectoryOf(std::string_view path);

#endif  // DATENSCHLEUSE_SESSION_PATH_RULES_H
