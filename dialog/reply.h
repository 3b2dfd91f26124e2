// Rules for the terminal's replies: code comparison, the number a refusal
// carries, the result line derived from a reply, and how replies and sent
// commands are shown in verbose mode.
#ifndef DATENSCHLEUSE_DIALOG_REPLY_H
#define DATENSCHLEUSE_DIALOG_REPLY_H

#include <string>
#include <string_view>

#include "platform/verbose.h"

// The text of a received block: everything before its first NUL byte.
std::string_view ReplyTextOf(std::string_view received);

// True when the reply's first three characters equal the entry's three code
// characters byte for byte.
bool ReplyCodeMatches(std::string_view reply, std::string_view entry);

// The result line a reply leaves: the reply without its last two characters
// (its line end), or empty when it has fewer than two.
std::string_view ReplyResultText(std::string_view reply);

// The result line of a refused reply: an empty reply counts as kNoAnswerReply.
std::string RefusalResultText(std::string_view reply);

// The result of a refusal that carries no number: the code of the dialog's
// own failures, so that it never reads as success.
constexpr int kRefusalWithoutNumber = 99;

// The dialog result of a refusal: the number in its result line's first three
// characters, or kRefusalWithoutNumber when that number is 0 (no digits at
// its start, or "000").
int RefusalResult(std::string_view resultText);

// How a sent command line is shown in verbose mode: a command holding "USER"
// or "PASS" anywhere shows only its first five characters and ten asterisks.
std::string MaskedCommandText(std::string_view command);

// Shows a received reply in verbose mode: the prefix, the reply, lineEnd.
void ShowReply(const VerboseSink& verbose, std::string_view reply, std::string_view lineEnd);

#endif  // DATENSCHLEUSE_DIALOG_REPLY_H
