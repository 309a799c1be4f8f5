// Moving the log aside after more than 10000 records.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/library/LogTestSupport.h"

namespace {

const std::string kComment = kDefaultConfigLine.substr(kDefaultConfigLine.find(';'));

std::string Config(const std::string &index, const std::string &maximum) {
  return index + ", " + maximum + ", Yes" + kComment;
}

TEST(LogRotation, The10001stRecordMovesTheLogAsideAs000) {
  LogFolder folder;
  folder.Configure(Config("000", "999"));
  Helper helper(folder);
  helper.Run(Tab({"log", "9999", "r"}));  // with the start record, 10000 records
  EXPECT_EQ(folder.Records().size(), 10000u);
  EXPECT_FALSE(folder.Has("Quenta/Quenta.000"));

  helper.Run(Tab({"log", "1", "last"}));
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
  const auto moved = folder.Records("Quenta/Quenta.000");
  ASSERT_EQ(moved.size(), 10001u);
  EXPECT_NE(moved.back().find("\"last 1\""), std::string::npos);
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), Config("001", "999"));
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg").substr(0, 4), "001,");

  helper.Run(Tab({"log", "1", "next"}));
  const auto fresh = folder.Records();
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_NE(fresh[0].find("\"next 1\""), std::string::npos);
  EXPECT_EQ(helper.Finish(), 0);
  EXPECT_EQ(helper.Errors(), "");
}

TEST(LogRotation, SuffixesCycleThroughTheMaximumIndex) {
  LogFolder folder;
  folder.Configure(Config("000", "2"));
  Helper helper(folder);
  helper.Run(Tab({"log", "10000", "first"}));
  ASSERT_EQ(folder.Records("Quenta/Quenta.000").size(), 10001u);
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), Config("001", "2"));

  // After a move the counter is 0 and is estimated anew from the size of the
  // log: one of 10000 times 128 bytes is moved aside at its next record.
  const std::string big(128 * 10000, '.');
  const char *suffixes[] = {"001", "002", "000"};
  const char *next[] = {"002", "000", "001"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(suffixes[i]);
    folder.Write("Quenta/Quenta.csv", big);
    helper.Run(Tab({"log", "1", "turn"}));
    EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
    const std::string moved = folder.Read(std::string("Quenta/Quenta.") + suffixes[i]);
    EXPECT_EQ(moved.substr(0, big.size()), big);
    EXPECT_NE(moved.find("\"turn 1\"", big.size()), std::string::npos);
    EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), Config(next[i], "2"));
  }
  EXPECT_EQ(folder.Entries("Quenta"),
            (std::vector<std::string>{"Quenta.000", "Quenta.001", "Quenta.002", "Quenta.cfg"}));
  helper.Finish();
}

TEST(LogRotation, IndexOutsideTheRangeStartsAtZero) {
  LogFolder folder;
  folder.Configure(Config("007", "5"));
  folder.Write("Quenta/Quenta.csv", std::string(128 * 10000, '.'));
  RunHelper(folder, {});  // the start record is the one that moves it
  EXPECT_TRUE(folder.Has("Quenta/Quenta.000"));
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), Config("001", "5"));
}

TEST(LogRotation, IndexOf1000OrMoreLosesItsLastDigits) {
  LogFolder folder;
  folder.Configure("999, 5000, Yes" + kComment);
  folder.Write("Quenta/Quenta.csv", std::string(128 * 10000, '.'));
  RunHelper(folder, {});
  EXPECT_TRUE(folder.Has("Quenta/Quenta.999"));
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), "100, 5000, Yes" + kComment);
}

TEST(LogRotation, EmptyConfigurationAtMoveAsideSwitchesLoggingOff) {
  LogFolder folder;
  folder.Configure(Config("004", "999"));
  Helper helper(folder);
  helper.Run(Tab({"log", "9999", "r"}));
  folder.Write("Quenta/Quenta.cfg", "");
  helper.Run(Tab({"log", "1", "moving"}));
  EXPECT_EQ(helper.Errors(), "Quenta.cfg Open Error: GetSufix\n");
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), kDefaultConfigLine);
  EXPECT_EQ(folder.Records("Quenta/Quenta.000").size(), 10001u);
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));

  // Off from then on, in every process of this lifetime.
  helper.Run(Tab({"log", "5", "after"}));
  Helper other(folder);
  other.Run(Tab({"log", "5", "other"}));
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
  EXPECT_EQ(helper.Run(Tab({"hook", "state"})).substr(0, 13), "ok 1 switch=N");
  other.Finish();
  helper.Finish();
  EXPECT_EQ(helper.Errors(), "Quenta.cfg Open Error: GetSufix\n");
}

TEST(LogRotation, MessagesOfAProcessWithoutStandardErrorGoNowhere) {
  LogFolder folder;
  folder.Configure(Config("000", "999"));
  Helper helper(folder, QUENTA_TEST_LIBRARY_PATH, true);
  helper.Run(Tab({"log", "9999", "r"}));
  folder.Write("Quenta/Quenta.cfg", "");
  helper.Run(Tab({"log", "1", "moving"}));  // says "GetSufix" with the configuration open
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), kDefaultConfigLine);
  const auto moved = folder.Records("Quenta/Quenta.000");
  ASSERT_EQ(moved.size(), 10001u);
  for (const auto &r : moved) ASSERT_TRUE(IsWellFormed(r)) << r;
  EXPECT_EQ(helper.Run(Tab({"hook", "state"})).substr(0, 30), "ok 1 switch=N start=1 count=0 ");
  helper.Finish();
}

// A configuration changed to fewer than four bytes while logging is on: the
// index is rewritten within the bytes read, and the file does not grow.
TEST(LogRotation, ShortConfigurationKeepsItsLength) {
  const std::pair<std::string, std::string> cases[] = {{"7", "0"}, {"12", "00"}, {"123", "000"}};
  for (const auto &[config, after] : cases) {
    SCOPED_TRACE(config);
    LogFolder folder;
    folder.Configure(Config("000", "999"));
    folder.Write("Quenta/Quenta.csv", std::string(128 * 9999, '.'));
    Helper helper(folder);  // its start record is the 10000th
    helper.Run(Tab({"hook", "state"}));  // loaded: the start record is written
    folder.Write("Quenta/Quenta.cfg", config);
    helper.Run(Tab({"log", "1", "moving"}));
    helper.Finish();
    EXPECT_TRUE(folder.Has("Quenta/Quenta.000"));
    EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), after);
  }
}

// Records that could not be appended (the file may not grow) still count, so
// the log is moved aside in its turn and logging goes on in a new one.
TEST(LogRotation, FailedAppendsCountTowardTheMoveAside) {
  LogFolder folder;
  folder.Configure(Config("000", "999"));
  folder.Write("Quenta/Quenta.csv", std::string(128 * 9998, '.'));
  Helper helper(folder);  // its start record is the 9999th
  helper.Run(Tab({"hook", "state"}));  // loaded: the start record is written
  const auto full = std::filesystem::file_size(folder.File("Quenta/Quenta.csv"));
  ASSERT_EQ(helper.Run(Tab({"limit-file-size", std::to_string(full)})), "ok");
  helper.Run(Tab({"log", "2", "lost"}));
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
  EXPECT_EQ(std::filesystem::file_size(folder.File("Quenta/Quenta.000")), full);
  helper.Run(Tab({"log", "1", "after"}));
  const auto fresh = folder.Records();
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_NE(fresh[0].find("\"after 1\""), std::string::npos);
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), Config("001", "999"));
  helper.Finish();
}

}  // namespace
