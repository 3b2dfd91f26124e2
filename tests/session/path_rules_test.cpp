#include "session/path_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectoryOf, KeepsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(DirectoryOf(".\\Files\\Terminal1\\ORBELIKAdmin\\"),
            ".\\Files\\Terminal1\\ORBELIKAdmin\\");
  EXPECT_EQ(DirectoryOf(".\\Files\\T1\\rest"), ".\\Files\\T1\\");
  EXPECT_EQ(DirectoryOf("nodir"), "");
}

}  // namespace
