// The download-all expansion: the server-side list DNLLIST.TXT of a directory
// becomes one download start and one download end entry per listed file, with
// the identity master file IDSTAMM.DTA last unless the list names it.
#ifndef DATENSCHLEUSE_DIALOG_DOWNLOAD_ALL_H
#define DATENSCHLEUSE_DIALOG_DOWNLOAD_ALL_H

#include <memory>
#include <string>
#include <string_view>

#include "platform/verbose.h"
#include "session/command_script.h"
#include "session/transfer_run.h"

inline constexpr char kDownloadListName[] = "DNLLIST.TXT";
inline constexpr char kIdentityFileName[] = "IDSTAMM.DTA";

// Result when the download list cannot be opened.
constexpr int kDownloadListMissing = 98;

// A list line is read with room for 99 characters: 98 and its line feed.
constexpr int kListLineBuffer = static_cast<int>(kListLineLimit) + 2;

// The file name a list line gives: the line without its line feed. A piece of
// an overlong line (99 characters, no line feed) also loses its last
// character; a last line without a line feed keeps all of its characters.
// A NUL byte ends the line's text.
std::string ListLineFileName(const char* line);

struct DownloadAllExpansion {
  // 0; kDownloadListMissing; kExitCannotSize when a listed file cannot be
  // sized (the process must then end at once, nothing printed or recorded).
  int result = 0;
  bool outOfMemory = false;  // an entry could not be added to the script
  std::string directory;     // the download-all directory: DirectoryOf(source)
  std::string fileInHand;    // server path of the last file taken up; empty when none
};

// Takes the directory from sourceArgument (argument 3) and appends the
// entries for the listed files to script.
DownloadAllExpansion ExpandDownloadAll(std::string_view sourceArgument, const VerboseSink& verbose,
                                       std::unique_ptr<CommandScript>& script);

#endif  // DATENSCHLEUSE_DIALOG_DOWNLOAD_ALL_H
