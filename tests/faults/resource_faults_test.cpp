// The server side fails under the tool: memory runs out while an upload is
// gathered, the disk fills while it is stored, a server file cannot be read,
// a target directory cannot be written. Each run ends with 99 (or -1 where a
// file to send cannot even be sized), never with a crash, keeps the old
// server file, never has the terminal delete its copy, and logs its row.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/faults/fault_rig.h"

namespace {

const std::string kOldServerFile = "alt\r\n";
const char kCannotStore[] = "Zieldatei auf Server kann nicht erzeugt werden\n";
const char kMismatch[] =
    "ERROR: L\xC3\xA4ngenangabe oder CRC stimmt nicht \xC3\xBC"
    "berein!";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// An upload with the delete flag that must fail on the server side: the
// terminal keeps its file, the server keeps its old one, one row is logged.
void ExpectUploadRefusedOnServer(FaultRig& rig, const ProcessResult& run, const char* resultLine) {
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitCode, 99);
  const std::string log = rig.TerminalLog();
  EXPECT_FALSE(Contains(log, "DELETEFILE")) << log;
  EXPECT_TRUE(FileExists(rig.TerminalFile("Bew.dta")));
  const auto rows = rig.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsTyp, "UPL");
  EXPECT_EQ(rows[0].trsSta, resultLine);
}

TEST(ResourceFault, UploadBeyondTheAddressSpaceRunsOutOfMemoryWithoutACrash) {
#if defined(DS_SANITIZED)
  GTEST_SKIP() << "AddressSanitizer cannot run under an address-space limit";
#endif
  FaultRig rig;
  // 24 MiB of bookings (with "ENDE" in every line) against 16 MiB of
  // address space: the frame cannot be held.
  WriteFileBytes(rig.TerminalFile("Bew.dta"), BookingBytes(24u << 20));
  WriteFileBytes(rig.ServerFile("Bew.dta"), kOldServerFile);
  ASSERT_TRUE(rig.StartTerminal());
  ProcessOptions options;
  options.addressSpaceLimit = 16L << 20;
  const ProcessResult run =
      rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1"}, options);
  EXPECT_EQ(run.output, "Nicht gen\xC3\xBCgend Speicher\n");
  ExpectUploadRefusedOnServer(rig, run, "Nicht gen\xC3\xBCgend Speicher");
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), kOldServerFile);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.serverDir), {}), 1);
}

TEST(ResourceFault, FullDiskWhileStoringKeepsTheOldFileAndTheTerminalsCopy) {
  FaultRig rig;
  WriteFileBytes(rig.TerminalFile("Bew.dta"), BookingBytes(200000));
  WriteFileBytes(rig.ServerFile("Bew.dta"), kOldServerFile);
  ASSERT_TRUE(rig.StartTerminal());
  ProcessOptions options;
  options.fileSizeLimit = 64L << 10;  // the stored file (CR LF added) would need more
  const ProcessResult run =
      rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1", "/D"}, options);
  EXPECT_TRUE(Contains(run.output, kCannotStore)) << run.output;
  EXPECT_TRUE(Contains(run.output, "Fehler beim Upload: 99")) << run.output;
  ExpectUploadRefusedOnServer(rig, run, "");
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), kOldServerFile);
  // The half-written new file is gone as well.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.serverDir), {}), 1);
}

TEST(ResourceFault, TargetUnderARegularFileCannotBeCreated) {
  FaultRig rig;
  WriteFileBytes(rig.TerminalFile("Bew.dta"), "4711;0800;K\n");
  WriteFileBytes(rig.ServerFile("Datei.txt"), kOldServerFile);
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run =
      rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Datei.txt\\Bew.dta"), "1", "/D"});
  EXPECT_TRUE(Contains(run.output, kCannotStore)) << run.output;
  ExpectUploadRefusedOnServer(rig, run, "");
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Datei.txt")), kOldServerFile);
}

// A directory where the server file should be cannot be read, for root too.
TEST(ResourceFault, ServerFileThatCannotBeReadEndsBeforeAnyConnection) {
  FaultRig rig;
  std::filesystem::create_directories(rig.ServerFile("Leser.dta"));
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run = rig.Run({"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta"});
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitCode, PosixExitCode(-1));
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(rig.Rows().empty());
  StopProcess(rig.simulator);  // it waits for a connection that never comes
  EXPECT_FALSE(Contains(ReadFileBytes(rig.logPath), "connection from"));
}

TEST(ResourceFault, ServerFileWithoutReadPermissionEndsBeforeAnyConnection) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file without read permission";
  FaultRig rig;
  WriteFileBytes(rig.ServerFile("Leser.dta"), "Lesedaten\n");
  ASSERT_EQ(::chmod(rig.ServerFile("Leser.dta").c_str(), 0), 0);
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run = rig.Run({"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta"});
  EXPECT_EQ(run.exitCode, PosixExitCode(-1));
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(rig.Rows().empty());
}

// The file is announced, then replaced by a directory while the terminal
// keeps the tool waiting for its greeting: the data phase cannot open it.
TEST(ResourceFault, ServerFileGoneBeforeItsDataIsSentEndsWith99) {
  FaultRig rig;
  WriteFileBytes(rig.ServerFile("Leser.dta"), "Lesedaten\n");
  ASSERT_TRUE(rig.StartTerminal({"--fault", "greeting=silence:1500"}));
  BackgroundProcess client = rig.Start({"DNL", "@", ServerArgument("Leser.dta"), "Leser.dta"});
  ASSERT_TRUE(rig.WaitForLog("connection from"));
  std::filesystem::rename(rig.ServerFile("Leser.dta"), rig.ServerFile("Leser.alt"));
  std::filesystem::create_directories(rig.ServerFile("Leser.dta"));
  const int exitCode = WaitProcess(client, 20000);
  if (exitCode == -2) StopProcess(client);
  EXPECT_EQ(exitCode, 99);
  EXPECT_EQ(ReadFileBytes(client.outputPath), "\n");
  const std::string log = rig.TerminalLog();
  EXPECT_TRUE(Contains(log, "connection ended after 0 of 10 data bytes")) << log;
  EXPECT_FALSE(FileExists(rig.TerminalFile("Leser.dta")));
  const auto rows = rig.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].trsFile, ServerArgument("Leser.dta"));
  EXPECT_EQ(rows[0].trsSta, "");
}

// The store's last steps fail after the new file is written: the rename
// over the old file is refused (the old file is immutable), or the directory
// that would hold the new name cannot be opened for its sync (write and
// search permission only, and the tool without root's override of file
// permissions, as an operator runs it). Either ends like a failed store.
TEST(ResourceFault, ReplaceThatIsRefusedKeepsTheOldFileAndTheTerminalsCopy) {
  FaultRig rig;
  WriteFileBytes(rig.TerminalFile("Bew.dta"), "4711;0800;K\n");
  WriteFileBytes(rig.ServerFile("Bew.dta"), kOldServerFile);
  const int fd = ::open(rig.ServerFile("Bew.dta").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  int flags = 0;
  const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  if (!immutable) {
    ::close(fd);
    GTEST_SKIP() << "the file system or the process cannot make a file immutable";
  }
  ASSERT_TRUE(rig.StartTerminal());
  const ProcessResult run = rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1", "/D"});
  flags &= ~FS_IMMUTABLE_FL;
  ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  ::close(fd);
  EXPECT_TRUE(Contains(run.output, kCannotStore)) << run.output;
  ExpectUploadRefusedOnServer(rig, run, "");
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), kOldServerFile);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.serverDir), {}), 1);
}

TEST(ResourceFault, DirectoryThatCannotBeSyncedKeepsTheOldFileAndTheTerminalsCopy) {
  FaultRig rig;
  WriteFileBytes(rig.TerminalFile("Bew.dta"), "4711;0800;K\n");
  WriteFileBytes(rig.ServerFile("Bew.dta"), kOldServerFile);
  ASSERT_EQ(::chmod(rig.serverDir.c_str(), 0300), 0);
  ASSERT_TRUE(rig.StartTerminal());
  ProcessOptions options;
  options.withoutPermissionOverride = true;
  const ProcessResult run =
      rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1", "/D"}, options);
  ::chmod(rig.serverDir.c_str(), 0700);
  EXPECT_TRUE(Contains(run.output, kCannotStore)) << run.output;
  ExpectUploadRefusedOnServer(rig, run, "");
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), kOldServerFile);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.serverDir), {}), 1);
}

// A frame that goes on past what it declares, or whose first line holds no
// "BEGIN ", is refused as soon as that shows: with 24 MiB coming and 16 MiB
// of address space the mismatch is reported, not the memory running out.
struct OverrunCase {
  const char* name;
  const char* fault;
};

void PrintTo(const OverrunCase& c, std::ostream* os) {
  *os << c.name;
}

class FrameOverrun : public ::testing::TestWithParam<OverrunCase> {};

TEST_P(FrameOverrun, IsRefusedAtOnceWithTheMismatch) {
  const OverrunCase& c = GetParam();
  FaultRig rig;
  WriteFileBytes(rig.TerminalFile("Bew.dta"), BookingBytes(24u << 20));
  WriteFileBytes(rig.ServerFile("Bew.dta"), kOldServerFile);
  ASSERT_TRUE(rig.StartTerminal({"--fault", c.fault}));
  ProcessOptions options;
#if !defined(DS_SANITIZED)  // AddressSanitizer cannot run under an address-space limit
  options.addressSpaceLimit = 16L << 20;
#endif
  const ProcessResult run =
      rig.Run({"UPL", "@", "Bew.dta", ServerArgument("Bew.dta"), "1"}, options);
  EXPECT_EQ(run.output, std::string(kMismatch) + "\n");
  ExpectUploadRefusedOnServer(rig, run, kMismatch);
  EXPECT_EQ(ReadFileBytes(rig.ServerFile("Bew.dta")), kOldServerFile);
}

INSTANTIATE_TEST_SUITE_P(ResourceFault, FrameOverrun,
                         ::testing::Values(OverrunCase{"DeclaresTenBytes", "upload=declare:10"},
                                           OverrunCase{"WithoutBegin", "upload=no-begin"},
                                           OverrunCase{"FirstLineWithoutLineEnd",
                                                       "upload=no-line-end"}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A file to send that is no regular file cannot be sized: the run ends with
// -1 at once, prints nothing and logs nothing, before its contents are read
// for the digest (a FIFO without a writer, or /dev/zero, would never end).
// A download-all checks every listed file the same way.
struct UnsizableCase {
  const char* name;
  const char* transfer;
  const char* kind;  // "fifo", "device" (a link to /dev/zero) or "directory"
};

void PrintTo(const UnsizableCase& c, std::ostream* os) {
  *os << c.name;
}

class UnsizableFile : public ::testing::TestWithParam<UnsizableCase> {};

TEST_P(UnsizableFile, EndsWithMinusOneAtOnce) {
  const UnsizableCase& c = GetParam();
  FaultRig rig;
  const std::string odd = rig.ServerFile("Rohr.dta");
  if (std::string(c.kind) == "fifo") {
    ASSERT_EQ(::mkfifo(odd.c_str(), 0644), 0);
  } else if (std::string(c.kind) == "device") {
    std::filesystem::create_symlink("/dev/zero", odd);
  } else {
    std::filesystem::create_directories(odd);
  }
  WriteFileBytes(rig.ServerFile("Leser.dta"), "Lesedaten\n");
  WriteFileBytes(rig.ServerFile("DNLLIST.TXT"), "Leser.dta\nRohr.dta\n");
  ASSERT_TRUE(rig.StartTerminal());
  const bool all = std::string(c.transfer) == "DNLA";
  BackgroundProcess client =
      rig.Start({c.transfer, "@", ServerArgument(all ? "" : "Rohr.dta"), all ? "xxx" : "Rohr.dta"});
  const int exitCode = WaitProcess(client, 20000);
  if (exitCode == -2) StopProcess(client);
  EXPECT_EQ(exitCode, PosixExitCode(-1));
  EXPECT_EQ(ReadFileBytes(client.outputPath), "");
  EXPECT_TRUE(rig.Rows().empty());
  StopProcess(rig.simulator);  // a DNL never connects
  EXPECT_FALSE(FileExists(rig.TerminalFile("Leser.dta")));
  EXPECT_FALSE(FileExists(rig.TerminalFile("Rohr.dta")));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(ResourceFault, UnsizableFile, ::testing::Values(
    UnsizableCase{"DnlFifo", "DNL", "fifo"},
    UnsizableCase{"DnlDevice", "DNL", "device"},
    UnsizableCase{"DnlaFifo", "DNLA", "fifo"},
    UnsizableCase{"DnlaDevice", "DNLA", "device"},
    UnsizableCase{"DnlaDirectory", "DNLA", "directory"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });
// clang-format on

}  // namespace
