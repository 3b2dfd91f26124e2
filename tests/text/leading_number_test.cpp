#include "text/leading_number.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(LeadingNumber, ReadsLikeAtoiWithoutOverflow) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"  \t+17abc", 17},
      {"\n\r\v\f-3;", -3},
      {"x1", 0},
      {"", 0},
      {"- 5", 0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"99999999999999999999", INT_MAX},
      {"-99999999999999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text;
}

TEST(LeadingNumber, StopsAtTheEndOfTheView) {
  EXPECT_EQ(LeadingNumber(std::string_view("12345", 3)), 123);
}

}  // namespace
