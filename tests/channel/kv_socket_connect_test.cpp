// Opening the channel: connections made, refused, never accepted, and the
// limits of the process's descriptors.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

#include "tests/channel/channel_fixture.h"
#include "tests/support/loopback.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST_F(ChannelTest, ConnectThatHadToWaitLeavesWouldBlock) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  AimAt(address.c_str(), listener.port, 2);
  EXPECT_EQ(KVSocketOpen(channel), 0);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEwouldblock);
  EXPECT_NE(channel->socketHandle, kNoSocket);
  Descriptor peer = AcceptPeer(listener, 2);
  ASSERT_GE(peer.fd, 0);
  WriteAll(peer.fd, "200");
  char buffer[4] = {};
  EXPECT_EQ(KVSocketReceive(channel, buffer, 3, 3), 3);
  EXPECT_STREQ(buffer, "200");
}

// A refused attempt reports the time-out code at once instead of after the
// time-out, and never counts as connected.
TEST_F(ChannelTest, RefusedConnectFailsPromptlyWithConnectionAborted) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener boundOnly(address.c_str(), -1);
  AimAt(address.c_str(), boundOnly.port, 20);
  const auto start = Clock::now();
  EXPECT_EQ(KVSocketOpen(channel), kWsaEconnaborted);
  EXPECT_LT(SecondsSince(start), 10.0);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEconnaborted);
  EXPECT_EQ(channel->socketHandle, kNoSocket);
  char buffer[4];
  EXPECT_EQ(KVSocketReceive(channel, buffer, sizeof buffer, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
}

// With its accept queue full, a listener lets new handshakes go unanswered:
// a terminal that does not answer.
TEST_F(ChannelTest, ListenerThatNeverAnswersTimesOutWithConnectionAborted) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 0);
  std::vector<Descriptor> queued(8);
  bool full = false;
  for (Descriptor& connection : queued) {
    if (!ConnectsWithin(address.c_str(), listener.port, 300, connection)) {
      full = true;
      break;
    }
  }
  if (!full) GTEST_SKIP() << "the system completes every handshake; no silent listener to be had";
  AimAt(address.c_str(), listener.port, 1);
  const auto start = Clock::now();
  EXPECT_EQ(KVSocketOpen(channel), kWsaEconnaborted);
  EXPECT_GE(SecondsSince(start), 0.9);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEconnaborted);
  EXPECT_EQ(channel->socketHandle, kNoSocket);
}

// Lowers the process's descriptor limit for one test and restores it.
class DescriptorLimit {
 public:
  explicit DescriptorLimit(rlim_t soft) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit changed = saved_;
    changed.rlim_cur = soft;
    applied_ = soft <= saved_.rlim_max && ::setrlimit(RLIMIT_NOFILE, &changed) == 0;
  }
  ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
  bool applied() const { return applied_; }

 private:
  rlimit saved_{};
  bool applied_ = false;
};

// Opens descriptors until the lowest free one is at least floor, or none can
// be had.
std::vector<Descriptor> FillDescriptors(int floor) {
  std::vector<Descriptor> filler;
  for (;;) {
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) break;
    filler.emplace_back(fd);
    if (fd >= floor - 1) break;
  }
  return filler;
}

TEST_F(ChannelTest, OpenWithoutFreeDescriptorReportsTooManySockets) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  AimAt(address.c_str(), listener.port, 2);
  DescriptorLimit limit(64);
  ASSERT_TRUE(limit.applied());
  std::vector<Descriptor> filler = FillDescriptors(1 << 20);
  EXPECT_EQ(KVSocketOpen(channel), 10024);
  EXPECT_EQ(KVSocketLastError(channel), 10024);
  EXPECT_EQ(channel->socketHandle, kNoSocket);
}

// A socket numbered above what select can take still connects, receives and
// sends.
TEST_F(ChannelTest, WorksWithDescriptorsAbove1024) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  AimAt(address.c_str(), listener.port, 2);
  DescriptorLimit limit(1200);
  if (!limit.applied()) GTEST_SKIP() << "the descriptor limit cannot be raised to 1200";
  std::vector<Descriptor> filler = FillDescriptors(1030);
  ASSERT_EQ(KVSocketOpen(channel), 0) << KVSocketLastError(channel);
  EXPECT_GE(channel->socketHandle, 1030);
  Descriptor peer = AcceptPeer(listener, 2);
  ASSERT_GE(peer.fd, 0);
  WriteAll(peer.fd, "220 hi\r\n");
  char buffer[16] = {};
  EXPECT_EQ(KVSocketReceive(channel, buffer, 15, 3), 8);
  EXPECT_EQ(KVSocketSend(channel, "QUIT\r\n", 6, 1), 6);
  EXPECT_EQ(ReadSlowly(peer.fd, 6, 6, 0), "QUIT\r\n");
  ASSERT_EQ(KVSocketSetTimeout(channel, 1), 0);
  char nothing[4];
  EXPECT_EQ(KVSocketReceive(channel, nothing, sizeof nothing, 1), 0);  // waits, times out
}

}  // namespace
