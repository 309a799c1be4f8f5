#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "runtime/AppPath.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/store/VaultFixture.h"

namespace {

// Main looks for the archive in the working directory and reads it from the
// program's folder (here the test binary's folder, which holds none).
class MainTest : public testing::Test {
 protected:
  void SetUp() override {
    UseBuiltCipher();
    // A lock of its own: other test processes and a running Vantry hold theirs.
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
  }
  void TearDown() override { std::filesystem::current_path(saved_); }

  StartupWindows Windows() {
    return {[this] { ++mainShown; }, [this] { ++dialogShown; }};
  }

  TempFolder folder;
  ScriptedMessageBox box;
  int mainShown = 0, dialogShown = 0;
  std::filesystem::path saved_;
};

TEST_F(MainTest, NoArchiveOpensTheCreationDialog) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Main(Windows()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Vantry: " + folder.File("Vantry.csv") +
                ": no archive, the creation dialog opens: No such file or directory\n");
  EXPECT_EQ(dialogShown, 1);
  EXPECT_EQ(mainShown, 0);
  EXPECT_EQ(Module1::AppFolder, runtime::AppPath());
}

TEST_F(MainTest, ArchiveOnlyInWorkingDirectorySaysItCannotOpen) {
  ASSERT_FALSE(std::filesystem::exists(runtime::AppPath() + "/Vantry.csv"));
  folder.Write("Vantry.csv", "1x1,T\r\n");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Main(Windows()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Vantry: " + runtime::AppPath() + "/Vantry.csv: cannot open: No such file or directory\n");
  EXPECT_EQ(mainShown + dialogShown, 0);
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_EQ(box.Shown()[0].text, "   Can not open Vantry.csv !    ");
}

}  // namespace
