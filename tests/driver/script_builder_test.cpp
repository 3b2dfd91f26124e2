#include "driver/script_builder.h"

#include <gtest/gtest.h>

#include "session/script_entries.h"
#include "tests/support/temp_dir.h"

namespace {

TransferRun RunOf(const char* type, std::string source, std::string target, int deleteFlag = 0) {
  TransferRun run;
  run.transferType = type;
  run.sourceFile = std::move(source);
  run.targetFile = std::move(target);
  run.deleteFlag = deleteFlag;
  return run;
}

void ExpectLoginEntries(const CommandScript& script) {
  ASSERT_GE(script.entries.size(), 3u);
  EXPECT_EQ(script.entries[0], "200");
  const std::string& user = script.entries[1];
  const std::string& pass = script.entries[2];
  ASSERT_EQ(user.size(), 29u);
  EXPECT_EQ(user.substr(0, 15), "331USER VOVIDUV");
  EXPECT_EQ(pass.substr(0, 15), "230PASS VOVIDUV");
  EXPECT_EQ(user.substr(8), pass.substr(8));  // the same login text
  EXPECT_EQ(user.substr(15).find_first_not_of("0123456789"), std::string::npos);
}

TEST(BuildSessionScript, SingleDownloadAnnouncesSizeAndDigest) {
  TempDir dir;
  WriteFileBytes(dir.File("a.txt"), "abc");
  TransferRun run = RunOf("DNL", dir.File("a.txt"), "Leser.dta");
  ASSERT_EQ(BuildSessionScript(run), 0);
  ExpectLoginEntries(*run.script);
  ASSERT_EQ(run.script->entries.size(), 5u);
  EXPECT_EQ(run.script->entries[3],
            "200DOWNLOADFILE BEGIN TYP=1 \"Leser.dta\" 3 /C:9B436087F6C4C10F94C72EABF7D516BD");
  EXPECT_EQ(run.script->entries[4], "250DOWNLOADFILE END ");
}

TEST(BuildSessionScript, MissingOrEmptyDownloadEndsAfterTheLogin) {
  TempDir dir;
  WriteFileBytes(dir.File("empty.dta"), "");
  for (const std::string& path : {dir.File("empty.dta"), dir.File("missing.dta"), dir.path}) {
    TransferRun run = RunOf("DNL", path, "x.dta");
    EXPECT_EQ(BuildSessionScript(run), kExitCannotSize) << path;
    EXPECT_EQ(run.script->entries.size(), 3u);
  }
}

TEST(BuildSessionScript, UploadAddsDeleteOnlyWithTheFlag) {
  TransferRun keep = RunOf("UPL", "Bewegungsdaten.dta", "out.dta", 0);
  ASSERT_EQ(BuildSessionScript(keep), 0);
  ExpectLoginEntries(*keep.script);
  ASSERT_EQ(keep.script->entries.size(), 4u);
  EXPECT_EQ(keep.script->entries[3].rfind("200UPLOADFILE ", 0), 0u);

  TransferRun remove = RunOf("UPL", "Bewegungsdaten.dta", "out.dta", 1);
  ASSERT_EQ(BuildSessionScript(remove), 0);
  ASSERT_EQ(remove.script->entries.size(), 5u);
  const std::string& del = remove.script->entries[4];
  ASSERT_EQ(del.rfind("200DELETEFILE ", 0), 0u);
  const std::size_t number = del.rfind(":");
  EXPECT_EQ(del, TransferCommandEntry("DELETEFILE", "Bewegungsdaten.dta",
                                      std::stoi(del.substr(number + 1))));
}

TEST(BuildSessionScript, DownloadAllStartsWithTheLoginAlone) {
  TransferRun run = RunOf("DNLA", ".\\Files\\", "xxx");
  ASSERT_EQ(BuildSessionScript(run), 0);
  ExpectLoginEntries(*run.script);
  EXPECT_EQ(run.script->entries.size(), 3u);
}

}  // namespace
