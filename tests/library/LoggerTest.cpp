// The logger as a program sees it: the library loaded in a fresh process,
// working in a folder of its own.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "tests/library/LogTestSupport.h"

namespace {

std::string Record(int code, const std::string &file, int line, const std::string &text, int number,
                   int value) {
  return Tab({"record", std::to_string(code), file, std::to_string(line), text, std::to_string(number),
              std::to_string(value)});
}

// The check the concurrent tests rely on to see lines that mixed.
TEST(Logger, RecordShapeCheck) {
  const std::string good = "2024/02/29 23:59:07, [0f], \"a.cpp\", -3, \"t, \"x\", 1, 2\", -7, 16(10H)";
  EXPECT_TRUE(IsWellFormed(good));
  EXPECT_TRUE(IsWellFormed("2024/02/29 23:59:07, [fffffffe], \"\", 0, \"\", 0, -1(ffffffffH)"));
  EXPECT_TRUE(IsWellFormed("2024/02/29 23:59:07, [00], \"Quenta.cpp\", 46, \"DLL Start\", 0, 0"));
  EXPECT_FALSE(IsWellFormed(""));
  EXPECT_FALSE(IsWellFormed("2024/02/29 23:59:07, [0], \"a\", 1, \"t\", 0, 0"));      // one hex digit
  EXPECT_FALSE(IsWellFormed("2024/02/29 23:59:07, [00], \"a\", 1, \"t\", 0, 16(H)"));  // no hex
  EXPECT_FALSE(IsWellFormed("2024/02/29 23:59:07, [00], \"a\", 1, \"t\", 0"));         // no value
  EXPECT_FALSE(IsWellFormed("2024/02/29 23:59:07, [00], \"a\", 1, \"t\", 0, 0" + std::string("2024/02")));
  EXPECT_FALSE(IsWellFormed("2024/02/29 23:59:07, [00], \"a\", 1, \"t2024/02/29 23:59:07, [00], \"a\", 1"));
  EXPECT_FALSE(IsWellFormed("2024/02/29 23:59:07, [00], \"a\", 1, \", 0, 0"));  // head and tail overlap
  EXPECT_FALSE(IsWellFormed("24/02/29 23:59:07, [00], \"a\", 1, \"t\", 0, 0"));
  EXPECT_EQ(WithoutTime(good), ", [0f], \"a.cpp\", -3, \"t, \"x\", 1, 2\", -7, 16(10H)");
  EXPECT_EQ(WithoutTime("not a record"), "");
}

TEST(Logger, RecordsFollowTheFormatTable) {
  LogFolder folder;
  folder.Configure(YesConfig());
  const std::time_t before = std::time(nullptr);
  const std::string errors = RunHelper(folder, {
      Record(15, "LogHelper.cpp", 12, "fifteen", 7, 15),
      Record(16, "LogHelper.cpp", 13, "sixteen", 7, 16),
      Record(1, "LogHelper.cpp", 14, "minus one", -1, -1),
      Record(-2, "LogHelper.cpp", 15, "code minus two", 0, 0),
      Record(-1, "LogHelper.cpp", 16, "code minus one: never written", 0, 0),
      Record(0x1FFFF, "LogHelper.cpp", 17, "low 16 bits are -1: never written", 0, 0),
      Record(2, "/home/owner/src/vantry/store/Module1.cpp", 18, "with folders", 0, 0),
      Record(3, "C:\\Vantry\\Form1.frm", 19, "with backslashes", 0, 0),
      Record(4, "Form2.frm", 20, "say \"hi\", twice \"\"", 0, 0),
      Record(5, "LogHelper.cpp", -21, "", 0x18000, 0x7FFFFFFF),
  });
  const std::time_t after = std::time(nullptr);
  EXPECT_EQ(errors, "");

  const std::vector<std::string> records = folder.Records();
  const std::vector<std::string> expected = {
      kStartRecord,
      ", [0f], \"LogHelper.cpp\", 12, \"fifteen\", 7, 15",
      ", [10], \"LogHelper.cpp\", 13, \"sixteen\", 7, 16(10H)",
      ", [01], \"LogHelper.cpp\", 14, \"minus one\", -1, -1(ffffffffH)",
      ", [fffffffe], \"LogHelper.cpp\", 15, \"code minus two\", 0, 0",
      ", [02], \"Module1.cpp\", 18, \"with folders\", 0, 0",
      ", [03], \"Form1.frm\", 19, \"with backslashes\", 0, 0",
      ", [04], \"Form2.frm\", 20, \"say \"hi\", twice \"\"\", 0, 0",
      ", [05], \"LogHelper.cpp\", -21, \"\", -32768, 2147483647(7fffffffH)",
  };
  ASSERT_EQ(records.size(), expected.size()) << folder.Read("Quenta/Quenta.csv");
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(WithoutTime(records[i]), expected[i]) << records[i];
  EXPECT_EQ(folder.Read("Quenta/Quenta.csv").substr(folder.Read("Quenta/Quenta.csv").size() - 2), "\r\n");

  // The time stamp is the local time of writing.
  std::tm t{};
  ASSERT_NE(strptime(records[1].c_str(), "%Y/%m/%d %H:%M:%S", &t), nullptr);
  t.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&t);
  EXPECT_GE(stamp, before - 1);
  EXPECT_LE(stamp, after + 1);
}

TEST(Logger, LongSourceFileNameIsCut) {
  LogFolder folder;
  folder.Configure(YesConfig());
  const std::string name(3000, 'f');
  EXPECT_EQ(RunHelper(folder, {Record(1, "dir/" + name, 1, "long name", 0, 0)}), "");
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(WithoutTime(records[1]), ", [01], \"" + std::string(200, 'f') + "\", 1, \"long name\", 0, 0");
}

TEST(Logger, LongTextIsWrittenWhole) {
  LogFolder folder;
  folder.Configure(YesConfig());
  const std::string text(100000, 't');
  EXPECT_EQ(RunHelper(folder, {Record(1, "a.cpp", 1, text, 0, 0)}), "");
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(WithoutTime(records[1]), ", [01], \"a.cpp\", 1, \"" + text + "\", 0, 0");
}

TEST(LoggerConfig, NewConfigurationGetsTheDefaultLineByteForByte) {
  LogFolder folder;
  folder.MakeQuentaFolder();
  EXPECT_EQ(RunHelper(folder, {}), "");
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), kDefaultConfigLine);
  EXPECT_EQ(folder.Entries("Quenta"), std::vector<std::string>{"Quenta.cfg"});
}

TEST(LoggerConfig, EmptyConfigurationGetsTheDefaultLine) {
  LogFolder folder;
  folder.Configure("");
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "3", "x"})}), "");
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), kDefaultConfigLine);
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
}

TEST(LoggerConfig, NoWritesNothingAndCreatesNoLog) {
  LogFolder folder;
  folder.Configure(kDefaultConfigLine);
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "20", "x"}), Record(-2, "a.cpp", 1, "t", 0, 16)}), "");
  EXPECT_EQ(folder.Entries("Quenta"), std::vector<std::string>{"Quenta.cfg"});
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), kDefaultConfigLine);
}

TEST(LoggerConfig, WithoutTheFolderNothingIsCreatedOrReported) {
  LogFolder folder;
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "20", "x"})}), "");
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(LoggerConfig, YesInAFreshProcessWritesTheStartRecord) {
  LogFolder folder;
  folder.Configure(YesConfig());
  EXPECT_EQ(RunHelper(folder, {}), "");
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(WithoutTime(records[0]), kStartRecord);
  EXPECT_TRUE(IsWellFormed(records[0]));
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), YesConfig());  // read, not rewritten
}

TEST(LoggerConfig, StartRecordDrawsNoRandomNumber) {
  LogFolder folder;
  folder.Configure(YesConfig());
  Helper helper(folder);
  EXPECT_EQ(helper.Run(Tab({"modulate", "abc"})).substr(0, 6), "ok IB@");
  EXPECT_EQ(helper.Run(Tab({"modulate", "abc"})).substr(0, 6), "ok CBH");
  helper.Finish();
  EXPECT_EQ(folder.Records().size(), 1u);
}

struct SwitchCase {
  std::string config;
  bool on;
};

class LoggerSwitch : public testing::TestWithParam<SwitchCase> {};

TEST_P(LoggerSwitch, ThirdTokenBeginningWithYesSwitchesOn) {
  LogFolder folder;
  folder.Configure(GetParam().config);
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "2", "x"})}), "");
  EXPECT_EQ(folder.Records().size(), GetParam().on ? 3u : 0u);
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), GetParam().config);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LoggerSwitch,
    testing::Values(SwitchCase{"000, 999, Yes", true}, SwitchCase{"000,999,Yes\r\n", true},
                    SwitchCase{"\"000\", \"999\", \"Yes\"", true}, SwitchCase{"5, 9, Yesss", true},
                    SwitchCase{"000, 999, yes", false}, SwitchCase{"000, 999,", false},
                    SwitchCase{"000, 999, ", false}, SwitchCase{"Yes", false}, SwitchCase{",,,,,,,,", false},
                    SwitchCase{std::string(300, 'x'), false},
                    // Only the first 128 bytes are read: "Yes" ends at byte 128 or just after it.
                    SwitchCase{"0," + std::string(120, ' ') + "9, Yes", true},
                    SwitchCase{"0," + std::string(121, ' ') + "9, Yes", false}));

TEST(LoggerConfig, SwitchChangesOnlyOnceEveryProcessHasEnded) {
  LogFolder folder;
  folder.Configure(kDefaultConfigLine);
  Helper first(folder);  // keeps the library loaded, logging off
  ASSERT_EQ(first.Run(Tab({"hook", "state"})).substr(0, 13), "ok 1 switch=N");

  folder.Write("Quenta/Quenta.cfg", YesConfig());
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "3", "second"})}), "");
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));  // the switch of this lifetime is still off
  first.Run(Tab({"log", "2", "first"}));
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
  first.Finish();

  EXPECT_EQ(RunHelper(folder, {Tab({"log", "2", "third"})}), "");
  auto records = folder.Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(WithoutTime(records[0]), kStartRecord);
  EXPECT_EQ(WithoutTime(records[2]), ", [01], \"LogHelper.cpp\", 2, \"third 2\", 2, 2");

  // And back: switched off in the file, still on while a process has it loaded.
  Helper fourth(folder);
  fourth.Run(Tab({"log", "1", "fourth"}));
  folder.Write("Quenta/Quenta.cfg", kDefaultConfigLine);
  RunHelper(folder, {Tab({"log", "1", "fifth"})});
  fourth.Finish();
  RunHelper(folder, {Tab({"log", "1", "sixth"})});
  records = folder.Records();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(WithoutTime(records[3]), kStartRecord);
  EXPECT_NE(records[4].find("fourth 1"), std::string::npos);
  EXPECT_NE(records[5].find("fifth 1"), std::string::npos);
}

TEST(LoggerConfig, StartRecordOncePerLifetime) {
  LogFolder folder;
  folder.Configure(YesConfig());
  {
    Helper a(folder);
    a.Run(Tab({"log", "1", "a"}));
    Helper b(folder);
    b.Run(Tab({"log", "1", "b"}));
    EXPECT_EQ(b.Run(Tab({"hook", "state"})).substr(0, 32), "ok 1 switch=Y start=1 count=3 at");
    b.Finish();
    a.Finish();
  }
  RunHelper(folder, {});
  auto records = folder.Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(WithoutTime(records[0]), kStartRecord);
  EXPECT_EQ(WithoutTime(records[3]), kStartRecord);
  for (const auto &r : records) EXPECT_TRUE(IsWellFormed(r)) << r;
}

TEST(LoggerConfig, CounterOfAnExistingLogIsEstimatedFromItsSize) {
  LogFolder folder;
  folder.Configure(YesConfig());
  folder.Write("Quenta/Quenta.csv", std::string(128 * 50 + 127, 'x'));
  Helper helper(folder);
  EXPECT_EQ(helper.Run(Tab({"hook", "state"})).substr(0, 31), "ok 1 switch=Y start=1 count=51 ");
  helper.Finish();
}

}  // namespace
