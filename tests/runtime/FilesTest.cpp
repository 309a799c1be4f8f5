#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "runtime/Files.h"
#include "tests/support/TempFolder.h"

TEST(FileExists, OnlyRegularFilesCount) {
  TempFolder folder;
  EXPECT_FALSE(runtime::FileExists(folder.File("Vantry.csv")));
  folder.Write("Vantry.csv", "x");
  EXPECT_TRUE(runtime::FileExists(folder.File("Vantry.csv")));
  std::filesystem::create_directory(folder.File("dir"));
  EXPECT_FALSE(runtime::FileExists(folder.File("dir")));
}

TEST(FileOps, RenameNeverReplaces) {
  TempFolder folder;
  folder.Write("a", "A");
  folder.Write("b", "B");
  EXPECT_NE(runtime::Files().rename(folder.File("a").c_str(), folder.File("b").c_str()), 0);
  EXPECT_EQ(folder.Read("b"), "B");
  EXPECT_EQ(runtime::Files().rename(folder.File("a").c_str(), folder.File("c").c_str()), 0);
  EXPECT_EQ(folder.Read("c"), "A");
}

// File systems without the no-replace rename, and some without links too.
TEST(FileOps, RenameNeverReplacesWithoutFileSystemSupport) {
  using Op = int (*)(const char *, const char *);
  const Op noFlag = [](const char *, const char *) { errno = EINVAL; return -1; };
  const Op noLinks = [](const char *, const char *) { errno = EPERM; return -1; };
  const Op links = [](const char *f, const char *t) { return ::link(f, t); };
  for (const Op makeLink : {links, noLinks}) {
    TempFolder folder;
    folder.Write("a", "A");
    folder.Write("b", "B");
    EXPECT_NE(runtime::RenameNoReplaceUsing(folder.File("a").c_str(), folder.File("b").c_str(), noFlag, makeLink), 0);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(folder.Read("b"), "B");
    EXPECT_EQ(runtime::RenameNoReplaceUsing(folder.File("a").c_str(), folder.File("c").c_str(), noFlag, makeLink), 0);
    EXPECT_EQ(folder.Read("c"), "A");
    EXPECT_FALSE(folder.Has("a"));
  }
}

// Only a regular file is opened; nothing else may block the reader or act.
TEST(OpenRegularFile, RefusesWhatIsNotARegularFile) {
  TempFolder folder;
  folder.Write("file", "x");
  ASSERT_EQ(mkfifo(folder.File("fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(folder.File("dir"));
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = folder.File("sock");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  ASSERT_EQ(symlink(folder.File("fifo").c_str(), folder.File("link-to-fifo").c_str()), 0);
  struct Case {
    std::string path;
    const char *why;  // empty when it opens
  };
  const Case cases[] = {
      {folder.File("file"), ""},
      {folder.File("missing"), "No such file or directory"},
      {folder.File("fifo"), "named pipe"},
      {folder.File("link-to-fifo"), "named pipe"},
      {folder.File("dir"), "folder"},
      {socketPath, "socket"},
      {"/dev/null", "device"},
  };
  for (const Case &c : cases) {
    std::string why;
    const int fd = runtime::OpenRegularFile(c.path, why);
    if (*c.why == '\0') {
      EXPECT_GE(fd, 0) << c.path << ": " << why;
    } else {
      EXPECT_EQ(fd, -1) << c.path;
      EXPECT_NE(why.find(c.why), std::string::npos) << c.path << ": " << why;
    }
    if (fd >= 0) close(fd);
  }
  close(sock);
}

TEST(LineReader, GivesBoundedLines) {
  struct Case {
    const char *what;
    std::string content;
    size_t limit;
    std::vector<std::string> lines;  // then the last result
    runtime::LineReader::Result last;
  };
  const Case cases[] = {
      {"CR LF and LF", "ab\r\ncd\nef", 4, {"ab", "cd", "ef"}, runtime::LineReader::kEnd},
      {"ends with a line end", "ab\r\n", 4, {"ab"}, runtime::LineReader::kEnd},
      {"empty lines count", "\r\n\n", 4, {"", ""}, runtime::LineReader::kEnd},
      {"empty file", "", 4, {}, runtime::LineReader::kEnd},
      {"exactly the limit", "abcd\r\nx", 4, {"abcd", "x"}, runtime::LineReader::kEnd},
      {"one over the limit", "ab\nabcde\r\n", 4, {"ab"}, runtime::LineReader::kTooLong},
      {"over the limit without a line end", std::string(10000, 'a'), 5000, {}, runtime::LineReader::kTooLong},
      {"long lines across reads", std::string(5000, 'a') + "\n" + std::string(5000, 'b'), 5000,
       {std::string(5000, 'a'), std::string(5000, 'b')}, runtime::LineReader::kEnd},
  };
  for (const Case &c : cases) {
    TempFolder folder;
    folder.Write("f", c.content);
    std::string why;
    const int fd = runtime::OpenRegularFile(folder.File("f"), why);
    ASSERT_GE(fd, 0) << c.what;
    runtime::LineReader in(fd);
    std::string line;
    for (const auto &expected : c.lines) {
      ASSERT_EQ(in.Next(line, c.limit), runtime::LineReader::kLine) << c.what;
      EXPECT_EQ(line, expected) << c.what;
    }
    EXPECT_EQ(in.Next(line, c.limit), c.last) << c.what;
    close(fd);
  }
}

// A sparse file of 2 GiB without a line end is judged at the limit, not read.
TEST(LineReader, StopsAtTheLimitInAHugeFile) {
  TempFolder folder;
  folder.Write("huge", "");
  ASSERT_EQ(truncate(folder.File("huge").c_str(), 2LL << 30), 0);
  std::string why;
  const int fd = runtime::OpenRegularFile(folder.File("huge"), why);
  ASSERT_GE(fd, 0);
  runtime::LineReader in(fd);
  std::string line;
  EXPECT_EQ(in.Next(line, 4096), runtime::LineReader::kTooLong);
  EXPECT_LT(lseek(fd, 0, SEEK_CUR), 1 << 20);
  close(fd);
}
