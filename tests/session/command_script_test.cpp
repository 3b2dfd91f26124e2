#include "session/command_script.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommandScript, IsCreatedByTheFirstAppendAndKeepsTheOrder) {
  std::unique_ptr<CommandScript> script;
  ASSERT_EQ(script, nullptr);
  // More entries than any fixed first room: growing keeps every entry.
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(AddScriptEntry(script, "200entry " + std::to_string(i)), 1);
    ASSERT_NE(script, nullptr);
  }
  ASSERT_EQ(script->entries.size(), 25u);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(script->entries[i], "200entry " + std::to_string(i));
  EXPECT_FALSE(script->entryLost);
}

TEST(CommandScript, HoldsItsOwnCopies) {
  std::unique_ptr<CommandScript> script;
  std::string text = "250DOWNLOADFILE END ";
  AddScriptEntry(script, text);
  text[0] = 'X';
  EXPECT_EQ(script->entries[0], "250DOWNLOADFILE END ");
  FreeCommandScript(script);
  EXPECT_EQ(script, nullptr);
  FreeCommandScript(script);  // an absent script is accepted
  EXPECT_EQ(script, nullptr);
}

}  // namespace
