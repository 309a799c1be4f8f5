#include <gtest/gtest.h>

#include "store/Vault.h"

TEST(SplitField, TakesFieldsInTurn) {
  struct Case {
    const char *line;
    int start;
    const char *field;
    int next;
  };
  const Case cases[] = {
      {"a,bc,d", 1, "a", 3},  {"a,bc,d", 3, "bc", 6}, {"a,bc,d", 6, "d", 0},
      {",,", 1, "", 2},       {",,", 3, "", 0},       {"abc", 4, "", 0},
      {"", 1, "", 0},         {"abc,", 5, "", 0},     {"ab", 1, "ab", 0},
  };
  for (const Case &c : cases) {
    std::string field = "old";
    EXPECT_EQ(SplitField(c.line, field, c.start), c.next) << c.line << " @" << c.start;
    EXPECT_EQ(field, c.field) << c.line << " @" << c.start;
  }
}

TEST(SplitField, StartZeroLeavesFieldAlone) {
  std::string field = "kept";
  EXPECT_EQ(SplitField("a,b", field, 0), 0);
  EXPECT_EQ(field, "kept");
}
