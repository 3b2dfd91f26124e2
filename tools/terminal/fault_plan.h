// Faults the simulator injects on request, so that each ending of a dialog can
// be reproduced: which step of the conversation they hit and what they do.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_FAULT_PLAN_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_FAULT_PLAN_H

#include <string>
#include <string_view>
#include <vector>

// The terminal's replies, one step each: the greeting and the answer to each
// kind of command ("download" answers DOWNLOADFILE BEGIN, "end" answers
// DOWNLOADFILE END, "upload" is the upload frame).
enum class TerminalStep { kGreeting, kUser, kPass, kDownload, kEnd, kUpload, kDelete };

enum class FaultKind {
  kRefuse,       // text: send this reply instead
  kSilence,      // value: wait this many ms before replying
  kSplit,        // value: send the first 2 or 3 bytes alone, pause, then the rest
  kPieces,       // value: send the reply in pieces of this many bytes, pausing between
  kTrickle,      // value: send the reply one byte every this many ms, the first too
  kCut,          // value: send only this many bytes of the reply, then close
  kNul,          // the reply's first byte becomes NUL
  kOversize,     // the reply's first line is padded to more than 2000 bytes
  kCrcLower,     // upload trailer: CRC digits in lower case
  kCrcWrong,     // upload trailer: a CRC that does not fit the data
  kLengthWrong,  // upload frame: declared length one more than the data
  kDeclare,      // value: upload frame: declare this length whatever the data
  kNoBegin,      // upload frame: a first line without "BEGIN "
  kNoLineEnd,    // upload frame: no CR LF after the first line
  kClose,        // close the connection instead of replying
  kReset,        // reset the connection instead of replying
  kResetAfter,   // reply, then reset the connection at once
};

struct Fault {
  TerminalStep step = TerminalStep::kGreeting;
  int occurrence = 0;  // 1 for the step's first reply in a connection...; 0 for every one
  FaultKind kind = FaultKind::kRefuse;
  int value = 0;
  std::string text;
};

struct FaultPlan {
  std::vector<Fault> faults;
};

// Adds "STEP[:N]=ACTION" (a --fault argument) or, with refusal set,
// "STEP[:N]=REPLY" (a --refuse argument). False with a reason in error when
// the text is not understood.
bool AddFault(FaultPlan& plan, std::string_view option, bool refusal, std::string& error);

// The faults that apply to the occurrence-th reply of a step, in the order
// they were given.
std::vector<Fault> FaultsAt(const FaultPlan& plan, TerminalStep step, int occurrence);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_FAULT_PLAN_H
