// Uploads through the real process: the frames a terminal may send, what the
// server stores, and when the terminal's copy is deleted.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "tests/e2e/terminal_rig.h"
#include "tests/support/process.h"

namespace {

constexpr char kBookings[] = "4711;0800;K\n4711;1630;G\n";  // trailer CRC E329
constexpr char kOldServerFile[] = "alt\r\n";
constexpr char kMismatch[] = "ERROR: Längenangabe oder CRC stimmt nicht überein!";

struct UploadCase {
  const char* name;
  const char* terminalFile;  // null: the terminal has no such file
  std::vector<std::string> terminal;
  bool deleteFlag;
  const char* stored;  // the server file afterwards; null: the old one is kept
  int exitCode;
  std::string resultLine;
  bool deleteSent;
  bool deleted;  // the terminal's copy is gone
};

void PrintTo(const UploadCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kStored = "Datei \"..\\..\\srv\\Bewegung.dta\" erfolgreich gespeichert";

const std::string kStoredCrLf = "4711;0800;K\r\n4711;1630;G\r\n";

// clang-format off
const UploadCase kUploadCases[] = {
    // name, terminal's file, simulator options, delete flag, stored, exit code,
    // result line, DELETEFILE sent, terminal's copy deleted
    {"LineFeedsStoredAsCrLf", kBookings, {}, false, kStoredCrLf.c_str(), 0, kStored, false, false},
    {"DeletedAfterSuccess", kBookings, {}, true, kStoredCrLf.c_str(), 0, kStored, true, true},
    {"CrLfStoredAsCrCrLf", "Satz 1\r\nSatz 2\r\n", {}, false, "Satz 1\r\r\nSatz 2\r\r\n", 0,
     kStored, false, false},
    {"LengthZero", "", {}, true, "", 0, kStored, true, true},
    // The last piece holds the trailer's CRC and its line end.
    {"FrameInPieces", kBookings, {"--fault", "upload=pieces:4", "--pause", "20"}, true,
     kStoredCrLf.c_str(), 0, kStored, true, true},
    // The trailer's line end comes in a piece of its own, after the frame is
    // complete for the tool: it is skipped, not taken as the delete's reply.
    {"TrailerLineEndApart", kBookings, {"--fault", "upload=pieces:5", "--pause", "20"}, true,
     kStoredCrLf.c_str(), 0, kStored, true, true},
    // "END" arrives in a piece long before the trailer.
    {"DataHoldingEnd", "Buchung 1 ENDE\nBuchung 2\n", {"--fault", "upload=pieces:10", "--pause", "20"},
     true, "Buchung 1 ENDE\r\nBuchung 2\r\n", 0, kStored, true, true},
    {"DataHoldingTrailerMark", "Kopf\n250 END 1234\nRest\n", {}, true, nullptr, 99, kMismatch,
     false, false},
    {"TrailerCrcInLowerCase", kBookings, {"--fault", "upload=crc-lower"}, true, nullptr, 99,
     kMismatch, false, false},
    {"TrailerCrcWrong", kBookings, {"--fault", "upload=crc-wrong"}, true, nullptr, 99, kMismatch,
     false, false},
    {"DeclaredLengthWrong", kBookings, {"--fault", "upload=length-wrong"}, true, nullptr, 99,
     kMismatch, false, false},
    {"FileMissingOnTerminal", nullptr, {}, true, nullptr, 550,
     "550 Datei \"Bewegung.dta\" nicht gefunden", false, false},
    // The file is stored; the refused delete's reply becomes the result.
    {"DeleteRefused", kBookings, {"--refuse", "delete=550 Datei gesperrt"}, true,
     kStoredCrLf.c_str(), 550, "550 Datei gesperrt", true, false},
};
// clang-format on

class Upload : public ::testing::TestWithParam<UploadCase> {};

TEST_P(Upload, StoresTheFrameOrKeepsBothFiles) {
  const UploadCase& c = GetParam();
  TerminalRig rig;
  if (c.terminalFile != nullptr) WriteFileBytes(rig.TerminalFile("Bewegung.dta"), c.terminalFile);
  WriteFileBytes(rig.ServerFile("Bewegung.dta"), kOldServerFile);
  ASSERT_TRUE(rig.StartTerminal(c.terminal));

  std::vector<std::string> arguments = {"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta")};
  if (c.deleteFlag) arguments.push_back("1");
  const ProcessResult run = rig.RunClient(arguments);
  EXPECT_EQ(Masked(run.output), kNoDatabase + c.resultLine + "\n");
  EXPECT_EQ(run.exitCode, PosixExitCode(c.exitCode));
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bewegung.dta")),
            c.stored != nullptr ? c.stored : kOldServerFile);
  EXPECT_EQ(FileExists(rig.TerminalFile("Bewegung.dta")), c.terminalFile != nullptr && !c.deleted);
  EXPECT_EQ(rig.Transcript().find("DELETEFILE") != std::string::npos, c.deleteSent);
}

INSTANTIATE_TEST_SUITE_P(E2e, Upload, ::testing::ValuesIn(kUploadCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A verbose upload with the delete flag, byte for byte, and both sides' logs.
TEST(UploadVerbose, ShowsTheFrameAndTheMaskedCommands) {
  TerminalRig rig;
  WriteFileBytes(rig.TerminalFile("Bewegung.dta"), kBookings);
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.RunClient({"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1", "/D"});
  const std::string frame = "200 BEGIN 24\r\n4711;0800;K\n4711;1630;G\n250 END E329\r\n";
  EXPECT_EQ(Masked(run.output),
            kVerboseLogin +
                std::string("An Terminal gesendet: UPLOADFILE <crc> <len> TYP=1 \"Bewegung.dta\" "
                            "/d:<n>\r\n\n") +
                "Terminalantwort: " + frame + "\n" + "Terminalantwort: " + frame + "\r\n" +
                "An Terminal gesendet: DELETEFILE <crc> <len> TYP=1 \"Bewegung.dta\" /d:<n>\r\n\n" +
                "Terminalantwort: 200 Datei \"Bewegung.dta\" gelöscht\r\n\n" +
                "Ende Transfer - <ts>" + kNoDatabase + kStored + "\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(MaskedTranscript(rig.Transcript()),
            kLoginTranscript +
                std::string("#1 < UPLOADFILE <crc> <len> TYP=1 \"Bewegung.dta\" /d:<n>\n") +
                "#1 > 200 BEGIN 24 + 24 data bytes + 250 END E329\n" +
                "#1 < DELETEFILE <crc> <len> TYP=1 \"Bewegung.dta\" /d:<n>\n" +
                "#1 > 200 Datei \"Bewegung.dta\" gelöscht\n#1 closed by the client\n");
  EXPECT_FALSE(FileExists(rig.TerminalFile("Bewegung.dta")));
}

// Names travel in Windows-1252 on the wire; both sides store them as the
// system spells them.
TEST(UploadVerbose, NameWithUmlaut) {
  TerminalRig rig;
  WriteFileBytes(rig.TerminalFile("Büro.dta"), kBookings);
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.RunClient({"UPL", "@", "Büro.dta", ServerArgument("Büro.dta"), "1"});
  EXPECT_EQ(Masked(run.output),
            kNoDatabase + std::string("Datei \"..\\..\\srv\\Büro.dta\" erfolgreich gespeichert\n"));
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Büro.dta")), "4711;0800;K\r\n4711;1630;G\r\n");
  EXPECT_FALSE(FileExists(rig.TerminalFile("Büro.dta")));
  EXPECT_NE(rig.Transcript().find("#1 > 200 Datei \"Büro.dta\" gelöscht\n"), std::string::npos);
}

// An upload with the delete flag that replaced the server file: stored with
// CR LF, the terminal's copy deleted.
void ExpectStoredAndDeleted(TerminalRig& rig, const ProcessResult& run, const std::string& stored) {
  EXPECT_EQ(Masked(run.output), kNoDatabase + kStored + "\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ReadFileBytes(stored), kStoredCrLf);
  EXPECT_FALSE(FileExists(rig.TerminalFile("Bewegung.dta")));
}

std::vector<std::string> DirectoryNames(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(directory)) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The replaced file keeps what the old one had: its permission bits, and
// its owner and group (set here to ones the tool does not run as).
TEST(UploadReplace, KeepsTheOldFilesModeOwnerAndGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give the old file another owner";
  TerminalRig rig;
  WriteFileBytes(rig.TerminalFile("Bewegung.dta"), kBookings);
  const std::string server = rig.ServerFile("Bewegung.dta");
  WriteFileBytes(server, kOldServerFile);
  ASSERT_EQ(::chown(server.c_str(), 2, 4), 0);
  ASSERT_EQ(::chmod(server.c_str(), 0640), 0);
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.RunClient({"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1"});
  ExpectStoredAndDeleted(rig, run, server);
  struct stat info {};
  ASSERT_EQ(::stat(server.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_uid, 2u);
  EXPECT_EQ(info.st_gid, 4u);
}

// A server file that is a symbolic link is written through it: the link
// stays as it was and the file it names is replaced, with nothing left
// beside either.
TEST(UploadReplace, WritesThroughASymbolicLink) {
  TerminalRig rig;
  WriteFileBytes(rig.TerminalFile("Bewegung.dta"), kBookings);
  std::filesystem::create_directories(rig.ServerFile("Archiv"));
  WriteFileBytes(rig.ServerFile("Archiv/Bewegung.dta"), kOldServerFile);
  std::filesystem::create_symlink("Archiv/Bewegung.dta", rig.ServerFile("Bewegung.dta"));
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.RunClient({"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1"});
  ExpectStoredAndDeleted(rig, run, rig.ServerFile("Archiv/Bewegung.dta"));
  EXPECT_TRUE(std::filesystem::is_symlink(rig.ServerFile("Bewegung.dta")));
  EXPECT_EQ(std::filesystem::read_symlink(rig.ServerFile("Bewegung.dta")), "Archiv/Bewegung.dta");
  EXPECT_EQ(DirectoryNames(rig.serverDir), (std::vector<std::string>{"Archiv", "Bewegung.dta"}));
  EXPECT_EQ(DirectoryNames(rig.ServerFile("Archiv")), std::vector<std::string>{"Bewegung.dta"});
}

// New files that killed runs left beside the target are removed by the next
// upload to it once they are older than any run can take; a young one may
// belong to a run still writing and stays, as do those of other targets.
TEST(UploadReplace, RemovesOldLeftoversAndKeepsYoungOnes) {
  TerminalRig rig;
  WriteFileBytes(rig.TerminalFile("Bewegung.dta"), kBookings);
  WriteFileBytes(rig.ServerFile("Bewegung.dta"), kOldServerFile);
  const auto now = std::filesystem::file_time_type::clock::now();
  const struct {
    const char* name;
    std::chrono::seconds age;
  } leftovers[] = {{".Bewegung.dta.part-alt111", std::chrono::hours(1)},
                   {".Bewegung.dta.part-alt222", std::chrono::minutes(7)},
                   {".Bewegung.dta.part-jung33", std::chrono::seconds(10)},
                   {".Andere.dta.part-alt444", std::chrono::hours(1)}};
  for (const auto& leftover : leftovers) {
    WriteFileBytes(rig.ServerFile(leftover.name), "halb");
    std::filesystem::last_write_time(rig.ServerFile(leftover.name), now - leftover.age);
  }
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.RunClient({"UPL", "@", "Bewegung.dta", ServerArgument("Bewegung.dta"), "1"});
  ExpectStoredAndDeleted(rig, run, rig.ServerFile("Bewegung.dta"));
  EXPECT_EQ(DirectoryNames(rig.serverDir),
            (std::vector<std::string>{".Andere.dta.part-alt444", ".Bewegung.dta.part-jung33",
                                      "Bewegung.dta"}));
}

}  // namespace

namespace {

// A frame larger than the memory the tool may take: the upload ends with the
// memory message, stores nothing and deletes nothing.
TEST(UploadMemory, FrameLargerThanTheMemoryAtHand) {
#if defined(DS_SANITIZED)
  GTEST_SKIP() << "an address-space limit cannot hold under AddressSanitizer";
#endif
  TerminalRig rig;
  const std::string data(12 << 20, 'x');
  WriteFileBytes(rig.TerminalFile("Gross.dta"), data);
  WriteFileBytes(rig.ServerFile("Gross.dta"), kOldServerFile);
  ASSERT_TRUE(rig.StartTerminal());
  ProcessOptions options;
  options.workingDirectory = rig.workDir;
  options.addressSpaceLimit = 16L << 20;
  const ProcessResult run = RunProcess(
      DS_PROGRAM, {"UPL", rig.address, "Gross.dta", ServerArgument("Gross.dta"), "1"}, options);
  EXPECT_EQ(Masked(run.output), kNoDatabase + std::string("Nicht genügend Speicher\n"));
  EXPECT_EQ(run.exitCode, 99);
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Gross.dta")), kOldServerFile);
  EXPECT_EQ(std::filesystem::file_size(rig.TerminalFile("Gross.dta")), data.size());
  EXPECT_EQ(rig.Transcript().find("DELETEFILE"), std::string::npos);
}

}  // namespace
