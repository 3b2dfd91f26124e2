// The download-all expansion: the server-side list DNLLIST.TXT of a directory
// becomes one download start and one download end entry per listed file, with
// the identity master file IDSTAMM.DTA last unless the list names it.
#ifndef DATENSCHLEUSE_DIALOG_DOWNLOAD_ALL_H
#define DATENSCHLEUSE_DIALOG_DOWNLOAD_ALL_H

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

// Sets run.downloadAllDir from run.sourceFile and appends the entries for the
// listed files. Returns 0, or kDownloadListMissing. When a listed file cannot
// be sized it sets run.endProcess and returns kExitCannotSize at once.
// run.sourceFile and run.targetFile are left naming the last appended file.
int ExpandDownloadAll(TransferRun& run);

#endif  // DATENSCHLEUSE_DIALOG_DOWNLOAD_ALL_H
