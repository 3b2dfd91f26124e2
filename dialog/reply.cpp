#include "dialog/reply.h"

#include "dialog/dialog_texts.h"
#include "text/leading_number.h"

std::string_view ReplyTextOf(std::string_view received) {
  return received.substr(0, received.find('\0'));
}

bool ReplyCodeMatches(std::string_view reply, std::string_view entry) {
  return reply.size() >= 3 && entry.size() >= 3 && reply.substr(0, 3) == entry.substr(0, 3);
}

std::string_view ReplyResultText(std::string_view reply) {
  return reply.size() < 2 ? std::string_view() : reply.substr(0, reply.size() - 2);
}

std::string RefusalResultText(std::string_view reply) {
  return std::string(ReplyResultText(reply.empty() ? std::string_view(kNoAnswerReply) : reply));
}

int RefusalResult(std::string_view resultText) {
  const int number = LeadingNumber(resultText.substr(0, 3));
  return number != 0 ? number : kRefusalWithoutNumber;
}

std::string MaskedCommandText(std::string_view command) {
  if (command.find("USER") == std::string_view::npos &&
      command.find("PASS") == std::string_view::npos) {
    return std::string(command);
  }
  return std::string(command.substr(0, 5)) + "**********";
}

void ShowReply(const VerboseSink& verbose, std::string_view reply, std::string_view lineEnd) {
  VerboseWrite(verbose, kReplyShownPrefix);
  VerboseWrite(verbose, reply);
  VerboseWrite(verbose, lineEnd);
}
