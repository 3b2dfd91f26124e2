#include "dialog/reply.h"

#include <climits>

std::string_view ReplyTextOf(std::string_view received) {
  return received.substr(0, received.find('\0'));
}

bool ReplyCodeMatches(std::string_view reply, std::string_view entry) {
  return reply.size() >= 3 && entry.size() >= 3 && reply.substr(0, 3) == entry.substr(0, 3);
}

int LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
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
