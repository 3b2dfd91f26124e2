// The channel starts its socket layer once per process, however many
// channels it creates; seen from the scripted layer, which counts its starts.
#include <gtest/gtest.h>

#include "channel/kv_socket.h"
#include "channel/scripted_terminal.h"

namespace {

TEST(KVSocketCreate, StartsTheSocketLayerOncePerProcess) {
  EXPECT_EQ(TheScriptedTerminal().layerStarts, 0);
  int error = 0;
  KVSocket* first = KVSocketCreate(&error);
  KVSocket* second = KVSocketCreate(&error);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(TheScriptedTerminal().layerStarts, 1);
  KVSocketDestroy(first);
  KVSocketDestroy(second);
  KVSocket* third = KVSocketCreate(&error);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(TheScriptedTerminal().layerStarts, 1);
  KVSocketDestroy(third);
}

}  // namespace
