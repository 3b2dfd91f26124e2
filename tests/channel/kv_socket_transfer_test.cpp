// Receiving and sending over an open channel, against a peer that answers,
// stays silent, reads slowly, closes or resets.
#include <cstring>
#include <string>
#include <thread>

#include "tests/channel/channel_fixture.h"
#include "tests/support/loopback.h"

namespace {

using Clock = std::chrono::steady_clock;

void Pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TEST_F(ChannelTest, ReceiveReturnsOnceTheMinimumHasArrivedWithAllBytesRead) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  Descriptor peer = Connect(address.c_str(), listener, 2);
  ASSERT_GE(peer.fd, 0);
  char buffer[2001] = {};

  WriteAll(peer.fd, "200 Terminal bereit\r\n");
  Pause(50);  // lets the whole line arrive before the read
  EXPECT_EQ(KVSocketReceive(channel, buffer, 2000, 3), 21);
  EXPECT_STREQ(buffer, "200 Terminal bereit\r\n");

  WriteAll(peer.fd, "Z");
  EXPECT_EQ(KVSocketReceive(channel, buffer, 2000, 1), 1);
  EXPECT_EQ(buffer[0], 'Z');

  // Pieces that trickle in are gathered into one result.
  std::thread trickle([&] {
    for (const char* piece : {"2", "3", "0"}) {
      Pause(100);
      WriteAll(peer.fd, piece);
    }
  });
  EXPECT_EQ(KVSocketReceive(channel, buffer, 2000, 3), 3);
  trickle.join();
  EXPECT_EQ(std::string(buffer, 3), "230");
}

TEST_F(ChannelTest, ReceiveNeverFillsBeyondTheBufferLength) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  Descriptor peer = Connect(address.c_str(), listener, 2);
  ASSERT_GE(peer.fd, 0);
  WriteAll(peer.fd, "0123456789");
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(KVSocketReceive(channel, buffer, 4, 6), 4);  // minimum is cut to the length
  EXPECT_EQ(std::string(buffer, 8), "0123####");
  EXPECT_EQ(KVSocketReceive(channel, buffer, 8, 6), 6);
  EXPECT_EQ(std::string(buffer, 6), "456789");
}

TEST_F(ChannelTest, ReceiveBelowTheMinimumUntilTheDeadlineGivesZeroAndKeepsTheBytes) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  Descriptor peer = Connect(address.c_str(), listener, 1);
  ASSERT_GE(peer.fd, 0);
  const SocketHandle socket = channel->socketHandle;
  WriteAll(peer.fd, "20");
  char buffer[16] = {};
  EXPECT_EQ(KVSocketReceive(channel, buffer, 15, 3), 0);
  EXPECT_EQ(std::string(buffer, 2), "20");
  EXPECT_EQ(KVSocketLastError(channel), kWsaEwouldblock);  // left by the open
  EXPECT_EQ(channel->socketHandle, socket);

  // Silence: the time-out changes neither lastError nor the connection.
  const auto start = Clock::now();
  EXPECT_EQ(KVSocketReceive(channel, buffer, 15, 3), 0);
  EXPECT_GE(SecondsSince(start), 0.5);  // it did wait
  EXPECT_EQ(KVSocketLastError(channel), kWsaEwouldblock);
  EXPECT_EQ(channel->socketHandle, socket);

  WriteAll(peer.fd, "500 x\r\n");
  EXPECT_EQ(KVSocketReceive(channel, buffer, 15, 3), 7);
  EXPECT_EQ(std::string(buffer, 7), "500 x\r\n");
}

// A peer that has closed ends the wait at once, with the result the deadline
// would have given.
TEST_F(ChannelTest, ReceiveFromAClosedPeerReturnsPromptlyLikeAtTheDeadline) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  Descriptor peer = Connect(address.c_str(), listener, 20);
  ASSERT_GE(peer.fd, 0);
  const SocketHandle socket = channel->socketHandle;
  WriteAll(peer.fd, "42");
  peer.Close();
  char buffer[16] = {};
  const auto start = Clock::now();
  // The bytes that came before the close, fewer than the minimum.
  EXPECT_EQ(KVSocketReceive(channel, buffer, 15, 3), 2);
  EXPECT_EQ(std::string(buffer, 2), "42");
  EXPECT_EQ(KVSocketReceive(channel, buffer, 15, 3), 0);
  EXPECT_LT(SecondsSince(start), 10.0);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEwouldblock);
  EXPECT_EQ(channel->socketHandle, socket);
  EXPECT_EQ(KVSocketClose(channel), 0);
}

TEST_F(ChannelTest, ResetByThePeerFailsReceiveAndSendWithConnectionReset) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  for (bool receive : {true, false}) {
    Descriptor peer = Connect(address.c_str(), listener, 2);
    ASSERT_GE(peer.fd, 0);
    ResetConnection(peer);
    Pause(100);
    char buffer[16];
    // No SIGPIPE: this process does not ignore it.
    const int result = receive ? KVSocketReceive(channel, buffer, sizeof buffer, 3)
                               : KVSocketSend(channel, "DATA\r\n", 6, 1);
    EXPECT_EQ(result, -1) << (receive ? "receive" : "send");
    EXPECT_EQ(KVSocketLastError(channel), 10054);
    EXPECT_EQ(channel->socketHandle, kNoSocket);
  }
}

std::string Pattern(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('A' + (i * 7 + i / 251) % 26);
  return data;
}

// Far more than the peer's window and both buffers hold: the send must wait
// for the reader, piece by piece, and hand over every byte in order.
TEST_F(ChannelTest, SendHandsOverTheWholeBufferToASlowReader) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4, 8192);
  Descriptor peer = Connect(address.c_str(), listener, 5);
  ASSERT_GE(peer.fd, 0);
  const std::string data = Pattern(4 << 20);
  std::string received;
  std::thread reader([&] { received = ReadSlowly(peer.fd, data.size(), 32768, 2); });
  EXPECT_EQ(KVSocketSend(channel, data.data(), static_cast<int>(data.size()), 1),
            static_cast<int>(data.size()));
  reader.join();
  EXPECT_EQ(received.size(), data.size());
  EXPECT_TRUE(received == data);
  EXPECT_EQ(KVSocketSend(channel, "END\r\n", 5, 0), 5);
  EXPECT_EQ(ReadSlowly(peer.fd, 5, 5, 0), "END\r\n");
}

TEST_F(ChannelTest, SendToAPeerThatDoesNotReadTimesOutWithConnectionAborted) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4, 4096);
  Descriptor peer = Connect(address.c_str(), listener, 1);
  ASSERT_GE(peer.fd, 0);
  const std::string data = Pattern(64 << 20);
  EXPECT_EQ(KVSocketSend(channel, data.data(), static_cast<int>(data.size()), 1), 0);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEconnaborted);
  EXPECT_EQ(channel->socketHandle, kNoSocket);

  EXPECT_EQ(KVSocketSend(channel, "x", 1, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
  channel->lastError = 0;
  char buffer[4];
  EXPECT_EQ(KVSocketReceive(channel, buffer, sizeof buffer, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
}

}  // namespace
