#include "text/leading_number.h"

#include <climits>

int LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  // Once past the range the value stops growing, so the sum cannot overflow.
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
