#include <gtest/gtest.h>

#include "mainwindow/GridRules.h"

namespace {

struct RowCase {
  const char *name;
  int row;
  int rows;
  bool insert, remove, open, drop;  // CanInsert, CanDelete, CanOpenRow, CanRemoveRow
};

class RowRulesTest : public testing::TestWithParam<RowCase> {};

TEST_P(RowRulesTest, Boundaries) {
  const RowCase &c = GetParam();
  EXPECT_EQ(grid_rules::CanInsert(c.row, c.rows), c.insert);
  EXPECT_EQ(grid_rules::CanDelete(c.row, c.rows), c.remove);
  EXPECT_EQ(grid_rules::CanOpenRow(c.row, c.rows), c.open);
  EXPECT_EQ(grid_rules::CanRemoveRow(c.row, c.rows), c.drop);
}

INSTANTIATE_TEST_SUITE_P(
    GridRules, RowRulesTest,
    testing::Values(RowCase{"FirstRow", 1, 10, true, true, true, true},
                    RowCase{"LastRow", 10, 10, true, true, true, true},
                    RowCase{"HeaderRow", 0, 10, false, false, false, false},
                    RowCase{"PastTheLastRow", 11, 10, false, false, false, false},
                    RowCase{"NegativeRow", -1, 10, false, false, false, false},
                    RowCase{"InsertAt97", 97, 98, true, true, true, true},
                    RowCase{"InsertAt98", 98, 98, false, true, true, true},
                    RowCase{"FullGrid", 50, 99, false, true, false, true},
                    RowCase{"ThreeRows", 2, 3, true, true, true, true},
                    RowCase{"TwoRowsStay", 2, 2, true, false, true, true},
                    RowCase{"OneRow", 1, 1, true, false, true, true}),
    [](const testing::TestParamInfo<RowCase> &info) { return std::string(info.param.name); });

}  // namespace
