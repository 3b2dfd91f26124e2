// The values of the transfer record that derive from the run's paths: the
// user folder name and the file text.
#ifndef DATENSCHLEUSE_DRIVER_RECORD_VALUES_H
#define DATENSCHLEUSE_DRIVER_RECORD_VALUES_H

#include <string>
#include <string_view>

#include "session/transfer_run.h"

// Longest user folder name kept (a 100-byte working line).
constexpr std::size_t kUserFolderNameLimit = 99;

// The text between the last two separators of a path, or the text before the
// only one; "unknown" when the path has none. At most 99 characters.
std::string UserFolderNameOf(std::string_view path);

// The user folder name of a run: taken from sourceFile for DNL, targetFile
// for UPL and downloadAllDir for DNLA.
std::string RecordUserFolderName(const TransferRun& run);

// The file text of a run's record. A download-all that completed (result 0)
// with a result line holding "250" records downloadAllDir followed by "Alle
// Dta-Dateien"; every other run records the file the dialog ended with
// (fileInHand). A download-all that broke off during a later file's data
// still holds an earlier file's "250": it records the file in hand, not all
// files.
std::string RecordFileText(const TransferRun& run, int dialogResult);

#endif  // DATENSCHLEUSE_DRIVER_RECORD_VALUES_H
