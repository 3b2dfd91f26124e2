// The terminal's own directory: files the tool downloads are stored there,
// files it uploads are served from there. A file arrives in a new file beside
// its target and replaces it only when complete, as a terminal must not keep
// half a file.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_FILES_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_FILES_H

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/platform.h"

// A plain file name: not empty, no directory part (no slash, backslash or
// drive colon), not "." or "..", no control characters.
bool IsPlainFileName(std::string_view name);

// The path of a file of the terminal's directory.
std::string TerminalFilePath(const std::string& directory, std::string_view name);

struct IncomingFile {
  FileBeside beside;    // the new file and the file it replaces
  bool failed = false;  // a write failed; the file must not be kept
};

bool BeginIncomingFile(IncomingFile& incoming, const std::string& path);
void WriteIncomingFile(IncomingFile& incoming, const char* data, std::size_t length);
// Puts the new file in the place of the path it was begun for, durably;
// false when any step failed, when the new file is removed and the old one
// stays.
bool CommitIncomingFile(IncomingFile& incoming);
void DiscardIncomingFile(IncomingFile& incoming);

// The whole file; false when it cannot be opened or read.
bool ReadTerminalFile(const std::string& path, std::string& contents);

// False when the file cannot be removed (it does not exist, for example).
bool DeleteTerminalFile(const std::string& path);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_FILES_H
