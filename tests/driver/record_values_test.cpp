#include "driver/record_values.h"

#include <gtest/gtest.h>

namespace {

TEST(UserFolderName, IsTheTextBetweenTheLastTwoSeparators) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {".\\Files\\Terminal1\\ORBELIKAdmin\\Leser.dta", "ORBELIKAdmin"},
      {".\\Files\\Terminal1\\ORBELIKAdmin\\", "ORBELIKAdmin"},
      {"C:\\...\\Bewegungsdaten.dta", "..."},
      {"Bewegungsdaten.dta", "unknown"},
      {"\\Leser.dta", ""},
      {"Admin\\Leser.dta", "Admin"},
      {"", "unknown"},
#ifndef _WIN32
      {"./Files/T1/Admin/Leser.dta", "Admin"},  // the slash separates on POSIX
#endif
  };
  for (const auto& c : cases) EXPECT_EQ(UserFolderNameOf(c.path), c.name) << c.path;
}

TEST(UserFolderName, IsCutAt99Characters) {
  const std::string folder(150, 'x');
  EXPECT_EQ(UserFolderNameOf("a\\" + folder + "\\f.dta"), std::string(99, 'x'));
}

TEST(RecordValues, FollowTheTransferType) {
  TransferRun run;
  run.transferType = "UPL";
  run.sourceFile = "Bewegungsdaten.dta";
  run.fileInHand = run.sourceFile;
  run.targetFile = "C:\\Daten\\Admin\\Bewegungsdaten.dta";
  EXPECT_EQ(RecordUserFolderName(run), "Admin");
  EXPECT_EQ(RecordFileText(run, 0), "Bewegungsdaten.dta");

  run.transferType = "DNL";
  run.sourceFile = ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta";
  run.fileInHand = run.sourceFile;
  EXPECT_EQ(RecordUserFolderName(run), "ORBELIKAdmin");
  EXPECT_EQ(RecordFileText(run, 0), ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta");
}

TEST(RecordValues, DownloadAllRecordsAllFilesOnlyAfterA250) {
  TransferRun run;
  run.transferType = "DNLA";
  run.sourceFile = ".\\Files\\T1\\ORBELIKAdmin\\";
  run.downloadAllDir = ".\\Files\\T1\\ORBELIKAdmin\\";
  run.fileInHand = ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta";
  run.resultText = "530 refused";
  EXPECT_EQ(RecordFileText(run, 0), ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta");
  EXPECT_EQ(RecordUserFolderName(run), "ORBELIKAdmin");

  run.resultText = "250 OK";
  // Broken off in a later file's data: the earlier "250" is still there.
  EXPECT_EQ(RecordFileText(run, 10054), ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta");
  EXPECT_EQ(RecordFileText(run, 0), ".\\Files\\T1\\ORBELIKAdmin\\Alle Dta-Dateien");
  // Computing the values leaves the run as it was.
  EXPECT_EQ(RecordFileText(run, 10054), ".\\Files\\T1\\ORBELIKAdmin\\Leser.dta");

  // The dialog ended before the list was read: no directory, no user folder.
  TransferRun bare;
  bare.transferType = "DNLA";
  bare.sourceFile = "xyz";
  bare.fileInHand = "xyz";
  bare.resultText = "250 done";
  EXPECT_EQ(RecordFileText(bare, 0), "Alle Dta-Dateien");
  EXPECT_EQ(RecordUserFolderName(bare), "unknown");
}

}  // namespace
