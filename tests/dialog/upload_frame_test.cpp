// The upload frame gatherer, fed the same frames in every kind of piece
// split: where it stops, what it takes as data and how it judges the frame.
#include "dialog/upload_frame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "crypto/crc16.h"

namespace {

// The CRC of data as a trailer carries it, or in lower case.
std::string TrailerCrcOf(std::string_view data, bool upper) {
  const std::uint16_t crc = Crc16Block(data.data(), data.size(), 0);
  return upper ? Crc16TrailerText(crc) : Crc16Text(crc);
}

// A well-formed frame for data, with the declared length and trailer CRC
// given or, when empty, right.
std::string Frame(const std::string& data, std::string declared = "", std::string crc = "") {
  if (declared.empty()) declared = std::to_string(data.size());
  if (crc.empty()) crc = TrailerCrcOf(data, true);
  return "200 UPLOADFILE BEGIN " + declared + " Bytes\r\n" + data + "250 END " + crc + "\r\n";
}

struct FrameCase {
  const char* name;
  std::string wire;  // everything the terminal sends, in order
  bool completes;    // the gatherer stops inside wire
  UploadFrameVerdict verdict;
  std::string data;  // the data taken, for gathered frames
};

std::vector<FrameCase> Cases() {
  const std::string booking = "KOMMEN 0800\nENDE 1700\n";
  return {
      {"plain", Frame("abc"), true, UploadFrameVerdict::kAccepted, "abc"},
      {"empty data", Frame(""), true, UploadFrameVerdict::kAccepted, ""},
      {"END in data", Frame(booking), true, UploadFrameVerdict::kAccepted, booking},
      {"remainder ignored", Frame("xy") + "230 more", true, UploadFrameVerdict::kAccepted, "xy"},
      {"CR LF data", Frame("a\r\nb\r\n"), true, UploadFrameVerdict::kAccepted, "a\r\nb\r\n"},
      {"trailer mark on first line ignored",
       "200 BEGIN 3 250 END 0000\r\nabc250 END " + TrailerCrcOf("abc", true), true,
       UploadFrameVerdict::kAccepted, "abc"},
      {"250 END in data cuts it",
       "200 BEGIN 12\r\nab250 END xyz250 END " + TrailerCrcOf("ab250 END xyz", true), true,
       UploadFrameVerdict::kMismatch, "ab"},
      {"lower-case CRC", Frame("zzz", "", TrailerCrcOf("zzz", false)), true,
       UploadFrameVerdict::kMismatch, "zzz"},
      {"wrong length", Frame("abc", "4"), true, UploadFrameVerdict::kMismatch, "abc"},
      {"negative length", Frame("", "-1"), true, UploadFrameVerdict::kMismatch, ""},
      {"length beyond int", Frame("abc", "99999999999999999999"), true,
       UploadFrameVerdict::kMismatch, "abc"},
      {"no BEGIN", "200 UPLOADFILE 3\r\nabc250 END " + TrailerCrcOf("abc", true), true,
       UploadFrameVerdict::kMalformed, ""},
      {"line end before BEGIN", "200 OK\r\nBEGIN 3 abc250 END 0000", true,
       UploadFrameVerdict::kMalformed, ""},
      {"BEGIN cut by the line end", "200 BEGIN\r\n 0250 END 0000", true,
       UploadFrameVerdict::kMalformed, ""},
      {"no trailer", "200 BEGIN 3\r\nabc", false, UploadFrameVerdict::kMalformed, ""},
      {"short trailer", "200 BEGIN 3\r\nabc250 END 12", false, UploadFrameVerdict::kMalformed, ""},
      {"no line end", "200 BEGIN 3 abc250 END 1234", false, UploadFrameVerdict::kMalformed, ""},
      {"empty", "", false, UploadFrameVerdict::kMalformed, ""},
  };
}

// Feeds wire in pieces that end at the given cut positions.
UploadFrame Gather(const std::string& wire, const std::vector<std::size_t>& cuts,
                   std::size_t& stoppedAt) {
  UploadFrame frame;
  EXPECT_TRUE(UploadFrameStart(frame, SIZE_MAX));
  std::size_t start = 0;
  stoppedAt = std::string::npos;
  for (std::size_t cut : cuts) {
    if (UploadFrameComplete(frame)) break;
    EXPECT_TRUE(UploadFrameFeed(frame, std::string_view(wire).substr(start, cut - start)));
    start = cut;
    if (UploadFrameComplete(frame)) stoppedAt = cut;
  }
  return frame;
}

std::vector<std::vector<std::size_t>> Splits(std::size_t size) {
  std::vector<std::vector<std::size_t>> splits;
  for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                           size == 0 ? std::size_t{1} : size}) {
    std::vector<std::size_t> cuts;
    for (std::size_t cut = step; cut < size; cut += step) cuts.push_back(cut);
    cuts.push_back(size);
    splits.push_back(cuts);
  }
  std::mt19937 random(5);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::size_t> cuts;
    for (std::size_t cut = 0; cut < size;) {
      cut = std::min(size, cut + 1 + random() % 9);
      cuts.push_back(cut);
    }
    if (cuts.empty()) cuts.push_back(0);
    splits.push_back(cuts);
  }
  return splits;
}

TEST(UploadFrame, EveryPieceSplitGathersAndJudgesTheSame) {
  for (const FrameCase& c : Cases()) {
    for (const std::vector<std::size_t>& cuts : Splits(c.wire.size())) {
      std::size_t stoppedAt = 0;
      const UploadFrame frame = Gather(c.wire, cuts, stoppedAt);
      SCOPED_TRACE(std::string(c.name) + ", first piece of " + std::to_string(cuts.front()));
      ASSERT_EQ(UploadFrameComplete(frame), c.completes);
      const UploadFrameCheck check = UploadFrameParse(frame);
      EXPECT_EQ(check.verdict, c.verdict);
      if (c.verdict != UploadFrameVerdict::kMalformed) {
        EXPECT_EQ(check.data, c.data);
      }
    }
  }
}

TEST(UploadFrame, StopsInThePieceThatCompletesTheFirstTrailer) {
  // "ENDE" comes long before the trailer: gathering goes on past it.
  const std::string wire = Frame("ENDE\n") + "next reply";
  const std::size_t trailerEnd = wire.find("250 END") + kFrameTrailerLength;
  std::vector<std::size_t> cuts;
  for (std::size_t cut = 1; cut <= wire.size(); ++cut) cuts.push_back(cut);
  std::size_t stoppedAt = 0;
  const UploadFrame frame = Gather(wire, cuts, stoppedAt);
  EXPECT_EQ(stoppedAt, trailerEnd);
  EXPECT_EQ(UploadFrameText(frame), wire.substr(0, trailerEnd));
}

TEST(UploadFrame, NulEndsOnlyItsOwnPiece) {
  UploadFrame frame;
  ASSERT_TRUE(UploadFrameStart(frame, SIZE_MAX));
  const std::string first("200 BEGIN 3\r\nab\0junk", 20);
  const std::string second("\0", 1);
  ASSERT_TRUE(UploadFrameFeed(frame, first));
  ASSERT_TRUE(UploadFrameFeed(frame, second));
  ASSERT_TRUE(UploadFrameFeed(frame, "c250 END " + TrailerCrcOf("abc", true)));
  ASSERT_TRUE(UploadFrameComplete(frame));
  const UploadFrameCheck check = UploadFrameParse(frame);
  EXPECT_EQ(check.verdict, UploadFrameVerdict::kAccepted);
  EXPECT_EQ(check.data, "abc");
}

TEST(UploadFrame, GrowthBeyondTheLimitFailsAndKeepsTheFrame) {
  UploadFrame frame;
  ASSERT_TRUE(UploadFrameStart(frame, 30000));
  const std::string piece(12000, 'x');
  ASSERT_TRUE(UploadFrameFeed(frame, "200 BEGIN 1\r\n"));
  ASSERT_TRUE(UploadFrameFeed(frame, piece));
  ASSERT_TRUE(UploadFrameFeed(frame, piece));
  const std::string before(UploadFrameText(frame));
  EXPECT_FALSE(UploadFrameFeed(frame, piece));
  EXPECT_EQ(UploadFrameText(frame), before);
  EXPECT_LE(frame.text.capacity(), 30000u);
}

TEST(UploadFrame, DeclaredLengthBeyondTheLimitIsJudgedNotRefusedForMemory) {
  UploadFrame frame;
  ASSERT_TRUE(UploadFrameStart(frame, 30000));
  ASSERT_TRUE(UploadFrameFeed(frame, "200 BEGIN 1000000\r\nabc"));
  ASSERT_TRUE(UploadFrameFeed(frame, "250 END " + TrailerCrcOf("abc", true)));
  ASSERT_TRUE(UploadFrameComplete(frame));
  EXPECT_EQ(UploadFrameParse(frame).verdict, UploadFrameVerdict::kMismatch);
  EXPECT_LE(frame.text.capacity(), 30000u);
}

}  // namespace
