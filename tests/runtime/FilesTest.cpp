#include <gtest/gtest.h>

#include <filesystem>

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
