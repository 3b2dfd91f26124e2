#include "session/command_script.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommandScript, IsCreatedByTheFirstAppendAndGrowsByTen) {
  std::unique_ptr<CommandScript> script;
  ASSERT_EQ(script, nullptr);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(AddScriptEntry(script, "200entry " + std::to_string(i)), 1);
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->capacity, i < 10 ? 10 : 20);
  }
  ASSERT_EQ(script->entries.size(), 11u);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(script->entries[i], "200entry " + std::to_string(i));
}

TEST(CommandScript, HoldsItsOwnCopies) {
  std::unique_ptr<CommandScript> script;
  std::string text = "250DOWNLOADFILE END ";
  AddScriptEntry(script, text);
  text[0] = 'X';
  EXPECT_EQ(script->entries[0], "250DOWNLOADFILE END ");
  EXPECT_EQ(FreeCommandScript(script), 0);
  EXPECT_EQ(script, nullptr);
  EXPECT_EQ(FreeCommandScript(script), 0);  // an absent script is accepted
}

}  // namespace
