#include "tests/support/loopback.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The running test's place among all tests the program holds (filtered or
// not), so that every process numbers the same test alike.
int TestIndex() {
  const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
  const ::testing::TestInfo* current = unit.current_test_info();
  int index = 0;
  for (int s = 0; s < unit.total_test_suite_count(); ++s) {
    const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
    for (int t = 0; t < suite.total_test_count(); ++t, ++index) {
      if (suite.GetTestInfo(t) == current) return index;
    }
  }
  ADD_FAILURE() << "a loopback address is taken outside a test";
  return index;
}

}  // namespace

std::string NextLoopbackAddress(LoopbackNet net) {
  static std::set<std::string> handedOut;
  static int lastTest = -1;
  static int rigs = 0;
  const int test = TestIndex();
  if (test != lastTest) {
    lastTest = test;
    rigs = 0;
  }
  if (rigs == kRigsPerTest) ADD_FAILURE() << "a test takes more than " << kRigsPerTest << " rigs";
  const int slot = test * kRigsPerTest + rigs++;
  const std::string address = "127." + std::to_string(static_cast<int>(net)) + "." +
                              std::to_string(slot / 254 % 256) + "." +
                              std::to_string(slot % 254 + 1);
  if (!handedOut.insert(address).second) ADD_FAILURE() << "loopback address twice: " << address;
  return address;
}
