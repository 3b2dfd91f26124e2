// A channel under test, aimed at a loopback address of the test's own.
#ifndef DATENSCHLEUSE_TESTS_CHANNEL_CHANNEL_FIXTURE_H
#define DATENSCHLEUSE_TESTS_CHANNEL_CHANNEL_FIXTURE_H

#include <gtest/gtest.h>

#include <chrono>

#include "channel/kv_socket.h"
#include "tests/channel/loopback_peer.h"

class ChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int error = 0;
    channel = KVSocketCreate(&error);
    ASSERT_NE(channel, nullptr) << error;
  }
  void TearDown() override {
    if (channel != nullptr) {
      EXPECT_EQ(KVSocketDestroy(channel), 0);
    }
  }

  void AimAt(const char* address, std::uint16_t port, int timeoutSeconds) {
    ASSERT_EQ(KVSocketSetAddress(channel, address), 0);
    ASSERT_EQ(KVSocketSetPort(channel, port), 0);
    ASSERT_EQ(KVSocketSetTimeout(channel, timeoutSeconds), 0);
  }

  // Opens the channel to a listener on address and returns the peer's end.
  Descriptor Connect(const char* address, const LoopbackListener& listener, int timeoutSeconds) {
    AimAt(address, listener.port, timeoutSeconds);
    EXPECT_EQ(KVSocketOpen(channel), 0) << KVSocketLastError(channel);
    return AcceptPeer(listener, 5);
  }

  KVSocket* channel = nullptr;
};

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

#endif  // DATENSCHLEUSE_TESTS_CHANNEL_CHANNEL_FIXTURE_H
