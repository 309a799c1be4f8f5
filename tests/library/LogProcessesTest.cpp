// Several processes logging at once, and processes that die at the worst moment.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/library/LogTestSupport.h"

namespace {

// Shorter than the writers' 10 s wait for the semaphore: a writer that took
// less did not sit out a holder. A bound on behaviour, not on speed.
constexpr double kWithinTheWait = 9.5;

TEST(LogProcesses, FourWritersAtOnceEachRecordOnceNeverMixed) {
  LogFolder folder;
  folder.Configure(YesConfig());
  constexpr int kWriters = 4, kEach = 3000;
  std::vector<std::unique_ptr<Helper>> writers;
  for (int k = 0; k < kWriters; ++k) {
    writers.push_back(std::make_unique<Helper>(folder));
    writers.back()->Run(Tab({"hook", "state"}));  // loaded and attached
  }
  for (int k = 0; k < kWriters; ++k) writers[k]->Send(Tab({"log", std::to_string(kEach), std::string("P").append(std::to_string(k))}));
  for (auto &w : writers) EXPECT_EQ(w->Answer(), "ok");
  for (auto &w : writers) {
    EXPECT_EQ(w->Finish(), 0);
    EXPECT_EQ(w->Errors(), "");
  }

  // Moved aside after 10000 records counted across all processes.
  const auto old = folder.Records("Quenta/Quenta.000");
  const auto current = folder.Records();
  EXPECT_EQ(old.size(), 10001u);
  EXPECT_EQ(current.size(), 2000u);
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg").substr(0, 4), "001,");

  std::vector<std::string> all = old;
  all.insert(all.end(), current.begin(), current.end());
  std::map<std::string, int> seen;
  std::vector<int> lastOf(kWriters, 0);
  int starts = 0;
  for (const auto &record : all) {
    ASSERT_TRUE(IsWellFormed(record)) << record;
    const std::string rest = WithoutTime(record);
    if (rest == kStartRecord) {
      ++starts;
      continue;
    }
    // ", [01], "LogHelper.cpp", i, "Pk i", i, i..."
    const size_t open = rest.find(", \"P");
    ASSERT_NE(open, std::string::npos) << record;
    const int k = rest[open + 4] - '0';
    const int i = std::stoi(rest.substr(open + 6));
    ++seen[std::string("P").append(std::to_string(k)).append(" ").append(std::to_string(i))];
    EXPECT_EQ(i, lastOf[k] + 1) << "each writer's records stay in its order";
    lastOf[k] = i;
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(seen.size(), static_cast<size_t>(kWriters * kEach));
  for (const auto &[text, n] : seen) EXPECT_EQ(n, 1) << text;
  EXPECT_EQ(folder.SemaphoreValue(), 1);
}

TEST(LogProcesses, ForkedChildAttachesItselfAndLogs) {
  LogFolder folder;
  folder.Configure(YesConfig());
  Helper parent(folder);
  parent.Run(Tab({"log", "1", "parent"}));
  parent.Send(Tab({"fork-log", "3", "child"}));
  const std::string child = parent.Answer();
  EXPECT_NE(child.find("switch=Y start=1 count=5 attached=2 lifetime=1"), std::string::npos) << child;
  EXPECT_EQ(parent.Answer(), "ok");
  // The child took itself off when it ended.
  EXPECT_NE(parent.Run(Tab({"hook", "state"})).find("count=5 attached=1 lifetime=1"), std::string::npos);
  parent.Run(Tab({"log", "1", "parent again"}));
  EXPECT_EQ(parent.Finish(), 0);
  EXPECT_EQ(parent.Errors(), "");
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(Count(records, "DLL Start"), 1);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Count(records, "\"child " + std::to_string(i) + "\""), 1);
}

TEST(LogProcesses, WriterKilledHoldingTheSemaphoreDoesNotStopTheNext) {
  LogFolder folder;
  folder.Configure(YesConfig());
  {
    Helper holder(folder);
    ASSERT_EQ(holder.Run(Tab({"hook", "hold-semaphore"})), "ok 1 ");
    holder.Kill();
  }
  EXPECT_EQ(folder.SemaphoreValue(), 0);  // nobody gives it back
  const double start = Now();
  Helper next(folder);
  next.Run(Tab({"log", "1", "after the kill"}));
  const double took = SecondsSince(start);
  EXPECT_LT(took, kWithinTheWait) << "the ended holder is noticed within the wait";
  next.Run(Tab({"log", "1", "and again"}));
  EXPECT_EQ(next.Finish(), 0);
  EXPECT_EQ(next.Errors(), "");
  RecordProperty("seconds_to_recover", std::to_string(took));

  const auto records = folder.Records();
  EXPECT_EQ(Count(records, "DLL Start"), 2);  // the holder's lifetime, then the next one's
  EXPECT_EQ(Count(records, "\"after the kill 1\""), 1);
  EXPECT_EQ(Count(records, "\"and again 1\""), 1);
  EXPECT_EQ(folder.SemaphoreValue(), 1);
}

TEST(LogProcesses, WriterKilledRightAfterItsWaitDoesNotStopTheNext) {
  LogFolder folder;
  folder.Configure(YesConfig());
  {
    Helper holder(folder);  // holds it without being on record
    ASSERT_EQ(holder.Run(Tab({"hook", "take-semaphore-unrecorded"})), "ok 1 ");
    holder.Kill();
  }
  const double start = Now();
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "2", "after"})}), "");
  EXPECT_LT(SecondsSince(start), kWithinTheWait);
  const auto records = folder.Records();
  EXPECT_EQ(Count(records, "\"after 1\""), 1);
  EXPECT_EQ(Count(records, "\"after 2\""), 1);
  EXPECT_EQ(folder.SemaphoreValue(), 1);
}

TEST(LogProcesses, LiveHolderPastTheWaitGetsTheRecordWrittenOnce) {
  LogFolder folder;
  folder.Configure(YesConfig());
  Helper holder(folder);
  ASSERT_EQ(holder.Run(Tab({"hook", "hold-semaphore"})), "ok 1 ");

  Helper writer(folder);
  double start = Now();
  writer.Run(Tab({"log", "1", "late"}));
  const double waited = SecondsSince(start);
  EXPECT_GE(waited, 9.9);
  EXPECT_LT(waited, 20.0);
  EXPECT_EQ(Count(folder.Records(), "\"late 1\""), 1);

  holder.Run(Tab({"hook", "release-semaphore"}));
  start = Now();
  writer.Run(Tab({"log", "1", "prompt"}));
  EXPECT_LT(SecondsSince(start), kWithinTheWait);
  writer.Finish();
  holder.Finish();
  const auto records = folder.Records();
  EXPECT_EQ(Count(records, "\"late 1\""), 1);
  EXPECT_EQ(Count(records, "\"prompt 1\""), 1);
  EXPECT_EQ(writer.Errors(), "");
  EXPECT_EQ(folder.SemaphoreValue(), 1);
}

TEST(LogProcesses, ProcessKilledAfterSettingUpTheSectionLeavesNoStaleLifetime) {
  LogFolder folder;
  folder.Configure(kDefaultConfigLine);
  {
    Helper first(folder);
    ASSERT_EQ(first.Run(Tab({"hook", "state"})).substr(0, 21), "ok 1 switch=N start=1");
    first.Kill();  // no unload: it stays on record as attached
  }
  folder.Write("Quenta/Quenta.cfg", YesConfig());
  Helper next(folder);
  const std::string state = next.Run(Tab({"hook", "state"}));
  EXPECT_NE(state.find("switch=Y start=1 count=1 attached=1 lifetime=2"), std::string::npos) << state;
  next.Run(Tab({"log", "1", "new lifetime"}));
  next.Finish();
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(WithoutTime(records[0]), kStartRecord);
}

TEST(LogProcesses, ProcessKilledHoldingTheSectionLockDoesNotBlockTheNext) {
  LogFolder folder;
  folder.Configure(YesConfig());
  {
    Helper first(folder);
    ASSERT_EQ(first.Run(Tab({"hook", "hold-section-lock"})), "ok 1 ");
    first.Kill();
  }
  const double start = Now();
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "1", "next"})}), "");
  EXPECT_LT(SecondsSince(start), kWithinTheWait);
  const auto records = folder.Records();
  EXPECT_EQ(Count(records, "DLL Start"), 2);  // the killed one started a lifetime too
  EXPECT_EQ(Count(records, "\"next 1\""), 1);
}

TEST(LogProcesses, SectionLeftHalfSetUpIsSetUpAgain) {
  LogFolder folder;
  folder.Configure(YesConfig());
  const int fd = shm_open(folder.SectionName().c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "\x51\x4e\x54\x31garbage", 11), 11);  // a magic word, then nothing sensible
  close(fd);
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "1", "x"})}), "");
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(WithoutTime(records[0]), kStartRecord);
}

TEST(LogProcesses, SharedObjectsArePrivateToTheUser) {
  LogFolder folder;
  folder.Configure(YesConfig());
  RunHelper(folder, {Tab({"log", "1", "x"})});
  struct stat st {};
  ASSERT_EQ(stat(("/dev/shm" + folder.SectionName()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_uid, geteuid());
  ASSERT_EQ(stat(("/dev/shm/sem." + folder.SemaphoreName().substr(1)).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_uid, geteuid());
}

TEST(LogProcesses, SectionOpenToOthersIsRefused) {
  LogFolder folder;
  folder.Configure(YesConfig());
  const int fd = shm_open(folder.SectionName().c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(fd, 0);
  fchmod(fd, 0666);
  close(fd);
  // The process keeps its words to itself and still logs.
  EXPECT_EQ(RunHelper(folder, {Tab({"log", "1", "x"})}),
            "Quenta Open Error: the shared section is not private to this user\n");
  EXPECT_EQ(folder.Records().size(), 2u);
}

TEST(LogProcesses, LogThatCannotBeOpenedIsGivenUpAfterOneSeries) {
  LogFolder folder;
  folder.Configure(YesConfig());
  ASSERT_EQ(mkdir(folder.File("Quenta/Quenta.csv").c_str(), 0700), 0);  // cannot be opened for writing
  Helper helper(folder);
  // The start record is tried, too; a folder at the name is refused at once.
  const double start = Now();
  helper.Run(Tab({"log", "1", "lost"}));
  EXPECT_LT(SecondsSince(start), 30.0);
  EXPECT_EQ(helper.Errors(), "Quenta Open Error: Is a directory\nQuenta Open Error: Is a directory\n");
  ASSERT_EQ(rmdir(folder.File("Quenta/Quenta.csv").c_str()), 0);
  const double again = Now();
  helper.Run(Tab({"log", "1", "kept"}));
  EXPECT_LT(SecondsSince(again), kWithinTheWait) << "the semaphore was given back";
  helper.Finish();
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].find("\"kept 1\""), std::string::npos);
}

// A failure that may pass (the folder gone for a moment) gets the series of tries.
TEST(LogProcesses, LogWhoseFolderIsGoneIsTriedInASeries) {
  LogFolder folder;
  folder.Configure(YesConfig());
  Helper helper(folder);
  helper.Run(Tab({"hook", "state"}));  // loaded: the start record is written
  std::filesystem::rename(folder.File("Quenta"), folder.File("away"));
  const double start = Now();
  helper.Run(Tab({"log", "1", "lost"}));
  EXPECT_GE(SecondsSince(start), 0.999);  // 1000 tries 1 ms apart in the test build
  EXPECT_EQ(helper.Errors(), "Quenta Open Error: No such file or directory\n");
  std::filesystem::rename(folder.File("away"), folder.File("Quenta"));
  helper.Run(Tab({"log", "1", "kept"}));
  helper.Finish();
  const auto records = folder.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_NE(records[1].find("\"kept 1\""), std::string::npos);
}

TEST(LogProcesses, ProductionLibraryExportsOnlyItsInterface) {
  LogFolder folder;
  Helper helper(folder, QUENTA_LIBRARY_PATH);
  EXPECT_EQ(helper.Run(Tab({"symbol", "Modulate"})), "ok 1");
  EXPECT_EQ(helper.Run(Tab({"symbol", "Quenta"})), "ok 1");
  EXPECT_EQ(helper.Run(Tab({"symbol", "QuentaTestHook"})), "ok 0");
  EXPECT_EQ(helper.Run(Tab({"symbol", "_ZN6quenta11InitLibraryEv"})), "ok 0");
  EXPECT_EQ(helper.Run(Tab({"symbol", "_ZN6quenta11WriteRecordEiPKciS1_ii"})), "ok 0");
  // Its shared section carries the user id alone.
  struct stat st {};
  ASSERT_EQ(stat(("/dev/shm/Quenta." + std::to_string(geteuid())).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  helper.Finish();
  EXPECT_TRUE(folder.Entries().empty());
}

}  // namespace
