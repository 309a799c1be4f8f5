#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  UseBuiltCipher();
  return RUN_ALL_TESTS();
}
