// Sending one reply of the terminal, spoiled as the fault plan asks: delayed,
// split, in pieces, trickled byte by byte, with a NUL byte, oversized, cut
// short by a close, replaced by a close or a reset, or followed by a reset.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_REPLY_DELIVERY_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_REPLY_DELIVERY_H

#include <string>
#include <string_view>
#include <vector>

#include "tools/terminal/fault_plan.h"
#include "tools/terminal/terminal_connection.h"
#include "tools/terminal/terminal_log.h"

// Length of an oversized reply's first line: past the 2000 bytes a client
// takes in one read.
constexpr std::size_t kOversizedLineLength = 2100;

struct Delivery {
  TerminalConnection& connection;
  TerminalLog& log;
  int pauseMs;  // the pause of split and piece faults
};

// The first fault of a kind in the list, or null.
const Fault* FindFault(const std::vector<Fault>& faults, FaultKind kind);

// Sends reply (its CR LF included) with every fault of the list except the
// refusal and the upload frame's own faults, which the caller applies to the
// text. logText is what the log shows for it (empty: the reply itself).
// Returns false when the connection has ended: closed or reset on request,
// or broken on the way; its socket is then released.
bool DeliverReply(Delivery& delivery, const std::vector<Fault>& faults, std::string reply,
                  std::string_view logText = {});

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_REPLY_DELIVERY_H
