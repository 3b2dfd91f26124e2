// Creating the channel, its tag check and giving it an address.
#include <arpa/inet.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/channel/channel_fixture.h"
#include "tests/support/loopback.h"

namespace {

TEST(KVSocketCreate, GivesATaggedChannelWithNothingSet) {
  int error = 4711;
  KVSocket* channel = KVSocketCreate(&error);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(error, 4711);  // untouched on success
  EXPECT_STREQ(channel->tag, "KVSocket");
  EXPECT_EQ(KVSocketLastError(channel), 0);
  // Nothing to connect to yet, and no connection to use or close.
  EXPECT_NE(KVSocketOpen(channel), 0);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEaddrnotavail);
  char buffer[8];
  EXPECT_EQ(KVSocketReceive(channel, buffer, sizeof buffer, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
  EXPECT_EQ(KVSocketClose(channel), 0);
  EXPECT_EQ(KVSocketDestroy(channel), 0);
}

struct Operation {
  const char* name;
  std::function<int(KVSocket*)> call;
  int mismatchResult;
};

std::vector<Operation> EveryOperation() {
  static char buffer[16];
  return {
      {"Destroy", [](KVSocket* c) { return KVSocketDestroy(c); }, kWsaEinval},
      {"SetAddress", [](KVSocket* c) { return KVSocketSetAddress(c, "127.0.31.99"); }, kWsaEinval},
      {"SetHostName", [](KVSocket* c) { return KVSocketSetHostName(c, "127.0.31.99"); },
       kWsaEinval},
      {"SetPort", [](KVSocket* c) { return KVSocketSetPort(c, 1); }, kWsaEinval},
      {"SetTimeout", [](KVSocket* c) { return KVSocketSetTimeout(c, 9); }, kWsaEinval},
      {"Open", [](KVSocket* c) { return KVSocketOpen(c); }, kWsaEinval},
      {"Close", [](KVSocket* c) { return KVSocketClose(c); }, kWsaEinval},
      {"Receive", [](KVSocket* c) { return KVSocketReceive(c, buffer, 16, 1); }, -1},
      {"Send", [](KVSocket* c) { return KVSocketSend(c, "x", 1, 1); }, -1},
      {"LastError", [](KVSocket* c) { return KVSocketLastError(c); }, kWsaEinval},
  };
}

// A connected channel whose tag is spoiled must be left exactly as it is: its
// connection still works once the tag is mended.
TEST_F(ChannelTest, EveryOperationRefusesAWrongTagAndChangesNothing) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  Descriptor peer = Connect(address.c_str(), listener, 2);
  ASSERT_GE(peer.fd, 0);
  WriteAll(peer.fd, "200 ready\r\n");
  const char kSpoilers[][2] = {{0, 'k'}, {8, '!'}, {3, '\0'}};
  for (const auto& spoiler : kSpoilers) {
    for (const Operation& operation : EveryOperation()) {
      KVSocket before = *channel;
      channel->tag[static_cast<int>(spoiler[0])] = spoiler[1];
      const KVSocket spoiled = *channel;
      EXPECT_EQ(operation.call(channel), operation.mismatchResult) << operation.name;
      EXPECT_EQ(std::memcmp(channel, &spoiled, sizeof spoiled), 0) << operation.name;
      std::memcpy(channel->tag, before.tag, sizeof before.tag);
    }
  }
  char reply[32] = {};
  EXPECT_EQ(KVSocketReceive(channel, reply, sizeof reply - 1, 3), 11);
  EXPECT_STREQ(reply, "200 ready\r\n");
  EXPECT_EQ(KVSocketReceive(nullptr, reply, 1, 1), -1);
  EXPECT_EQ(KVSocketLastError(nullptr), kWsaEinval);
}

struct AddressCase {
  const char* text;
  int result;
};

TEST_F(ChannelTest, SetAddressTakesOnlyUsableDottedTextsOfUpTo15Characters) {
  const AddressCase cases[] = {
      {"255.255.255.254", 0},  // 15 characters
      {"127.000.000.001", 0},  // 15 characters, leading zeros
      {"127.0.31.2", 0},
      {"127.000.000.0001", kWsaEinval},  // 16 characters, though a valid address
      {"0.0.0.0", kWsaEinval},
      {"255.255.255.255", kWsaEinval},
      {"terminal7", kWsaEinval},
      {"localhost", kWsaEinval},
      {"", kWsaEinval},
      {"1.2.3.4.5", kWsaEinval},
  };
  for (const AddressCase& item : cases) {
    ASSERT_EQ(KVSocketSetAddress(channel, "10.1.2.3"), 0);
    channel->lastError = 0;
    EXPECT_EQ(KVSocketSetAddress(channel, item.text), item.result) << item.text;
    if (item.result == 0) {
      EXPECT_EQ(channel->address, ::inet_addr(item.text)) << item.text;
      EXPECT_STREQ(channel->addressText, item.text);
      EXPECT_EQ(channel->lastError, 0);
    } else {
      EXPECT_EQ(channel->address, ::inet_addr("10.1.2.3")) << item.text;
      EXPECT_STREQ(channel->addressText, "10.1.2.3");
      EXPECT_EQ(channel->lastError, kWsaEinval) << item.text;
    }
  }
  EXPECT_EQ(KVSocketSetAddress(channel, nullptr), kWsaEinval);
}

// A name the C library refuses by itself (an empty label), so that no name
// server is asked, padded to length.
std::string UnresolvableName(std::size_t length) {
  std::string name = "no-such-host..";
  name.append(length - name.size() - 8, 'x');
  return name + ".invalid";
}

bool IsLookupFailure(int code) {
  return code >= 11001 && code <= 11004;
}

TEST_F(ChannelTest, SetHostNameResolvesNamesAndDottedAddresses) {
  EXPECT_EQ(KVSocketSetHostName(channel, "127.0.31.3"), 0);
  EXPECT_EQ(channel->address, ::inet_addr("127.0.31.3"));
  EXPECT_STREQ(channel->hostName, "127.0.31.3");

  EXPECT_EQ(KVSocketSetHostName(channel, "localhost"), 0);
  EXPECT_EQ(channel->address, ::inet_addr("127.0.0.1"));
  EXPECT_STREQ(channel->hostName, "localhost");

  // Resolves to itself, and the open then finds no address.
  EXPECT_EQ(KVSocketSetHostName(channel, "0.0.0.0"), 0);
  EXPECT_EQ(channel->address, 0u);
  EXPECT_EQ(KVSocketOpen(channel), kWsaEaddrnotavail);
}

TEST_F(ChannelTest, SetHostNameReportsLookupFailuresAndRefusesNamesOver255Characters) {
  ASSERT_EQ(KVSocketSetHostName(channel, "127.0.31.4"), 0);
  const std::string tooLong = UnresolvableName(256);
  const std::string longest = UnresolvableName(255);
  ASSERT_EQ(tooLong.size(), 256u);
  ASSERT_EQ(longest.size(), 255u);

  const int unknown = KVSocketSetHostName(channel, "no-such-host..invalid");
  EXPECT_TRUE(IsLookupFailure(unknown)) << unknown;
  EXPECT_EQ(channel->lastError, unknown);

  const int longestResult = KVSocketSetHostName(channel, longest.c_str());
  EXPECT_TRUE(IsLookupFailure(longestResult)) << longestResult;  // went to the lookup

  EXPECT_EQ(KVSocketSetHostName(channel, tooLong.c_str()), kWsaEinval);
  EXPECT_EQ(channel->lastError, kWsaEinval);

  EXPECT_EQ(channel->address, ::inet_addr("127.0.31.4"));
  EXPECT_STREQ(channel->hostName, "127.0.31.4");
}

TEST_F(ChannelTest, OpenWithoutAddressFailsWithAddressNotAvailable) {
  ASSERT_EQ(KVSocketSetPort(channel, 5010), 0);
  EXPECT_EQ(KVSocketOpen(channel), kWsaEaddrnotavail);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEaddrnotavail);
  EXPECT_EQ(channel->socketHandle, kNoSocket);
}

TEST_F(ChannelTest, ReceiveAndSendWithoutSocketFailWithInvalid) {
  char buffer[8];
  EXPECT_EQ(KVSocketReceive(channel, buffer, sizeof buffer, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
  channel->lastError = 0;
  EXPECT_EQ(KVSocketSend(channel, "abc", 3, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
  EXPECT_EQ(KVSocketClose(channel), 0);
}

TEST_F(ChannelTest, CloseTwiceAndReopenWithTheSameSettings) {
  const std::string address = NextLoopbackAddress(LoopbackNet::kChannel);
  LoopbackListener listener(address.c_str(), 4);
  Descriptor peer = Connect(address.c_str(), listener, 2);
  ASSERT_GE(peer.fd, 0);
  EXPECT_EQ(KVSocketClose(channel), 0);
  EXPECT_EQ(channel->socketHandle, kNoSocket);
  EXPECT_EQ(KVSocketClose(channel), 0);

  char buffer[8];
  EXPECT_EQ(KVSocketReceive(channel, buffer, sizeof buffer, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);
  channel->lastError = 0;
  EXPECT_EQ(KVSocketSend(channel, "abc", 3, 1), -1);
  EXPECT_EQ(KVSocketLastError(channel), kWsaEinval);

  EXPECT_EQ(KVSocketOpen(channel), 0);
  Descriptor again = AcceptPeer(listener, 2);
  ASSERT_GE(again.fd, 0);
  EXPECT_EQ(KVSocketSend(channel, "USER x\r\n", 8, 1), 8);
  EXPECT_EQ(ReadSlowly(again.fd, 8, 8, 0), "USER x\r\n");
}

}  // namespace
