// Loopback addresses for the test rigs: every rig of every test gets an
// address of its own, so that CTest can run tests side by side (each test
// runs in a process of its own), a simulator on port 5010 of each.
#ifndef DATENSCHLEUSE_TESTS_SUPPORT_LOOPBACK_H
#define DATENSCHLEUSE_TESTS_SUPPORT_LOOPBACK_H

#include <string>

// The second octet of each test program's addresses (the soak's 127.0.10 is
// set in tests/faults/CMakeLists.txt).
enum class LoopbackNet {
  kE2e = 5,
  kDb = 6,
  kFaults = 7,
  kPostgres = 12,
  kReport = 13,
  kReportPostgres = 14,
  kChannel = 31,
};

// The next address for a rig of the running test: 127.net.X.Y, where X and
// Y follow from the test's place among all the program's tests and from how
// many rigs it has taken before. A test takes at most kRigsPerTest; an address
// handed out twice in one process fails the test.
constexpr int kRigsPerTest = 16;
std::string NextLoopbackAddress(LoopbackNet net);

#endif  // DATENSCHLEUSE_TESTS_SUPPORT_LOOPBACK_H
