// The dialog engine's reply rules on whatever a terminal sends: the code
// comparison, the number of a refusal, the result line and the masking of a
// shown command.
//
// Input: one byte that picks the script entry awaiting the reply, then the
// received block as a read would deliver it (cut at the 2000-byte limit).
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialog/protocol.h"
#include "dialog/reply.h"
#include "fuzz/fuzz_target.h"
#include "session/transfer_run.h"
#include "text/leading_number.h"

namespace {

// The entries a reply can stand against, as the session script holds them.
const char* const kEntries[] = {
    "200",
    "331USER VOVIDUV01022024101500",
    "230PASS VOVIDUV01022024101500",
    "200DOWNLOADFILE BEGIN TYP=1 \"Leser.dta\" 1000 /C:0123456789ABCDEF0123456789ABCDEF",
    "250DOWNLOADFILE END 1a2b",
    "200UPLOADFILE 1a2b 23 TYP=1 \"Bewegung.dta\" /d:4711",
    "200DELETEFILE 1a2b 23 TYP=1 \"Bewegung.dta\" /d:4711",
};
constexpr std::size_t kEntryCount = sizeof kEntries / sizeof kEntries[0];

// The C library's reading of a text as a number, held at the int range.
int LibraryNumber(std::string_view text) {
  const std::string copy(text);
  const long value = std::strtol(copy.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void CheckRefusal(std::string_view reply) {
  TransferRun run;
  SetResultText(run.resultText, RefusalResultText(reply));
  FUZZ_CHECK(run.resultText.size() <= kResultTextCapacity);
  if (reply.empty()) {
    FUZZ_CHECK(run.resultText == "999 keine Antwort");
  } else if (reply.size() < 2) {
    FUZZ_CHECK(run.resultText.empty());
  } else {
    FUZZ_CHECK(run.resultText == reply.substr(0, reply.size() - 2));
  }
  // Three characters cannot overflow atoi, so the library is the reference;
  // a refusal without a number never reads as success.
  const int result = RefusalResult(run.resultText);
  const int number = std::atoi(std::string(run.resultText.substr(0, 3)).c_str());
  FUZZ_CHECK(result == (number != 0 ? number : kRefusalWithoutNumber));
  FUZZ_CHECK(result != 0 && result >= -99 && result <= 999);
}

void CheckMasking(std::string_view command) {
  const std::string shown = MaskedCommandText(command);
  const bool secret = command.find("USER") != std::string_view::npos ||
                      command.find("PASS") != std::string_view::npos;
  if (!secret) {
    FUZZ_CHECK(shown == command);
    return;
  }
  FUZZ_CHECK(shown.size() == std::min<std::size_t>(command.size(), 5) + 10);
  FUZZ_CHECK(shown.compare(shown.size() - 10, 10, "**********") == 0);
}

}  // namespace

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view entry = kEntries[data[0] % kEntryCount];
  std::string_view received = AsText(data + 1, size - 1);
  if (received.size() > static_cast<std::size_t>(kReplyLimit)) {
    received = received.substr(0, static_cast<std::size_t>(kReplyLimit));
  }

  const std::string_view reply = ReplyTextOf(received);
  FUZZ_CHECK(reply.size() <= received.size());
  FUZZ_CHECK(reply.find('\0') == std::string_view::npos);
  FUZZ_CHECK(reply.data() == received.data());

  const bool matches = ReplyCodeMatches(reply, entry);
  FUZZ_CHECK(matches == (reply.size() >= 3 && std::memcmp(reply.data(), entry.data(), 3) == 0));
  FUZZ_CHECK(LeadingNumber(reply) == LibraryNumber(reply));

  if (matches) {
    TransferRun run;
    SetResultText(run.resultText, ReplyResultText(reply));
    FUZZ_CHECK(run.resultText.size() + 2 == reply.size());
  } else {
    CheckRefusal(reply);
  }
  CheckMasking(reply);
  return 0;
}
