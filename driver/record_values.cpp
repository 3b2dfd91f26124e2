#include "driver/record_values.h"

#include "driver/driver_texts.h"
#include "platform/platform.h"

std::string UserFolderNameOf(std::string_view path) {
  std::size_t last = std::string_view::npos;
  std::size_t previous = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (!IsDirectorySeparator(path[i])) continue;
    previous = last;
    last = i;
  }
  if (last == std::string_view::npos) return kUnknownUserFolder;
  const std::size_t start = previous == std::string_view::npos ? 0 : previous + 1;
  return std::string(path.substr(start, last - start).substr(0, kUserFolderNameLimit));
}

std::string RecordUserFolderName(const TransferRun& run) {
  if (run.transferType == "UPL") return UserFolderNameOf(run.targetFile);
  if (run.transferType == "DNLA") return UserFolderNameOf(run.downloadAllDir);
  return UserFolderNameOf(run.sourceFile);
}

std::string RecordFileText(const TransferRun& run, int dialogResult) {
  if (run.transferType == "DNLA" && dialogResult == 0 &&
      run.resultText.find("250") != std::string::npos) {
    return run.downloadAllDir + kAllFilesText;
  }
  return run.fileInHand;
}
