// Reply rules that the dialog applies to the terminal's texts and the list
// line rule of the download-all.
#include "dialog/reply.h"

#include <gtest/gtest.h>

#include "dialog/download_all.h"

namespace {

TEST(Reply, RefusalGivesTextLessLineEndAndItsNumber) {
  struct Case {
    std::string reply;
    std::string text;
    int result;
  } cases[] = {
      {"421 belegt\r\n", "421 belegt", 421},
      {"530 falsch\r\n", "530 falsch", 530},
      // Without a number, or with 0, a refusal ends as the dialog's own
      // failures do, never as success.
      {"ABC nein\r\n", "ABC nein", 99},
      {"000 null\r\n", "000 null", 99},
      {"\r\n200 da\r\n", "\r\n200 da", 2},
      {" 42x\r\n", " 42x", 42},
      {"-12\r\n", "-12", -12},
      {"", "999 keine Antwort", 999},
      {"4", "", 99},
      {"20", "", 99},
      {"2001", "20", 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    const std::string text = RefusalResultText(c.reply);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(RefusalResult(text), c.result);
  }
}

TEST(Reply, CodeComparesTheFirstThreeBytes) {
  EXPECT_TRUE(ReplyCodeMatches("200 ok\r\n", "200DOWNLOADFILE"));
  EXPECT_TRUE(ReplyCodeMatches("200", "200"));
  EXPECT_FALSE(ReplyCodeMatches("220 ok\r\n", "200"));
  EXPECT_FALSE(ReplyCodeMatches("20", "200"));
  EXPECT_FALSE(ReplyCodeMatches(ReplyTextOf(std::string("20\0", 3)), "200"));
}

TEST(Reply, VerboseShowsCredentialsMasked) {
  EXPECT_EQ(MaskedCommandText("USER VOVIDUV01022024103000\r\n"), "USER **********");
  EXPECT_EQ(MaskedCommandText("PASS VOVIDUV01022024103000\r\n"), "PASS **********");
  EXPECT_EQ(MaskedCommandText("DOWNLOADFILE BEGIN TYP=1 \"USERS.DTA\"\r\n"), "DOWNL**********");
  EXPECT_EQ(MaskedCommandText("DOWNLOADFILE END 1a2b\r\n"), "DOWNLOADFILE END 1a2b\r\n");
}

TEST(DownloadList, LineGivesItsFileName) {
  const std::string piece(99, 'p');
  struct Case {
    std::string line;
    std::string name;
  } cases[] = {
      {"A.DTA\n", "A.DTA"},     {" B .DTA \n", " B .DTA "},   {"\n", ""}, {"", ""},
      {"LAST.DTA", "LAST.DTA"}, {piece, piece.substr(0, 98)},
  };
  for (const Case& c : cases) EXPECT_EQ(ListLineFileName(c.line.c_str()), c.name) << c.line;
}

}  // namespace
