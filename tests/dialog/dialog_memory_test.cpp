// A script entry that cannot be added for want of memory reaches the
// dialog's out-of-memory ending, instead of leaving a script that silently
// lacks an entry (a download without its END entry would end with 0). The
// dialog runs over the scripted terminal, so only the allocations of the
// tool's own code are counted.
#include <gtest/gtest.h>

#include "channel/scripted_terminal.h"
#include "dialog/dialog_engine.h"
#include "dialog/dialog_texts.h"
#include "driver/dialog_request.h"
#include "driver/script_builder.h"
#include "tests/dialog/allocation_switch.h"
#include "tests/support/temp_dir.h"

namespace {

// The room the script's list of entries takes when it grows past four
// entries (it doubles its room): the first allocation of this size is the
// room for the next entry. The trial checks that the switch was reached.
constexpr std::size_t kEntryRoom = 8 * sizeof(ScriptEntry);

struct MemoryTrial {
  DialogOutcome outcome;
  int failed = 0;  // allocations the switch failed
};

// Builds the run's script and runs its dialog, with the switch armed before
// the step named.
MemoryTrial RunWithFailingEntry(TransferRun& run, bool failWhileBuilding) {
  ScriptedTerminal& terminal = TheScriptedTerminal();
  terminal = ScriptedTerminal{};
  terminal.steps = {scripted::Send("200 da\r\n"), scripted::ReadLine(),
                    scripted::Send("331 ok\r\n"), scripted::ReadLine(),
                    scripted::Send("230 ok\r\n"), scripted::ReadLine(),
                    scripted::Send("200 los\r\n")};
  int error = 0;
  KVSocket* channel = KVSocketCreate(&error);
  EXPECT_NE(channel, nullptr);
  MemoryTrial trial;
  const int before = FailedAllocations();
  if (failWhileBuilding) FailNextAllocationOf(kEntryRoom);
  EXPECT_EQ(BuildSessionScript(run), 0);
  if (!failWhileBuilding) FailNextAllocationOf(kEntryRoom);
  trial.outcome = RunTerminalDialog(channel, DialogRequestOf(run), run.script);
  trial.failed = FailedAllocations() - before;
  KVSocketDestroy(channel);
  return trial;
}

TEST(ScriptEntryOutOfMemory, EndsTheDialogAsOutOfMemory) {
  TempDir dir;
  WriteFileBytes(dir.File("Leser.dta"), "4711;0800;K\n");
  WriteFileBytes(dir.File("DNLLIST.TXT"), "A.DTA\nB.DTA\n");
  WriteFileBytes(dir.File("A.DTA"), "a");
  WriteFileBytes(dir.File("B.DTA"), "b");
  struct Case {
    const char* name;
    const char* type;
    std::string source;
    bool failWhileBuilding;  // else while the download-all adds its entries
    int opened;              // connections the terminal saw
  } cases[] = {
      {"a single download loses its END entry", "DNL", dir.File("Leser.dta"), true, 0},
      {"a download-all loses a listed file's entry", "DNLA", dir.path + "\\", false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TransferRun run;
    run.transferType = c.type;
    run.terminalName = "127.0.0.1";
    run.sourceFile = c.source;
    run.targetFile = "Leser.dta";
    const MemoryTrial trial = RunWithFailingEntry(run, c.failWhileBuilding);
    ASSERT_EQ(trial.failed, 1) << "the switch did not reach an entry";
    EXPECT_EQ(trial.outcome.code, 99);
    EXPECT_EQ(trial.outcome.resultText, kOutOfMemoryText);
    EXPECT_FALSE(trial.outcome.endProcess);
    const ScriptedTerminal& terminal = TheScriptedTerminal();
    EXPECT_EQ(terminal.opened, c.opened);
    EXPECT_EQ(terminal.closed, c.opened);
    EXPECT_EQ(terminal.sent, "");  // not one command went out
  }
}

}  // namespace
