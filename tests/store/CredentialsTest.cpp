#include <gtest/gtest.h>

#include "store/Module1.h"
#include "store/Vault.h"

namespace {

struct Row {
  const char *name, *hint, *login, *edit;
};

struct Case {
  const char *what;
  std::vector<Row> rows;
  const char *hint, *login, *edit;
};

TEST(LoadCredentials, TakesTheLastMatchingRowAndFallsBackToDefaults) {
  const Case cases[] = {
      {"no credentials row", {{"Bank", "h", "l", "e"}}, "", "pelorinastuvka", "mosu te ilvarin"},
      {"one row", {{"LoginPassword", "hint", "log", "ed"}}, "hint", "log", "ed"},
      {"empty passwords use defaults", {{"LoginPassword", "hint", "", ""}}, "hint", "pelorinastuvka",
       "mosu te ilvarin"},
      {"later row overrides, empty hint too",
       {{"LoginPassword", "h1", "l1", "e1"}, {"LoginPassword", "", "l2", ""}}, "", "l2", "e1"},
      {"case matters", {{"loginpassword", "h", "l", "e"}}, "", "pelorinastuvka", "mosu te ilvarin"},
  };
  for (const Case &c : cases) {
    Module1::Reset();
    Module1::RowCount = static_cast<int16_t>(c.rows.size());
    for (size_t r = 0; r < c.rows.size(); ++r)
      Module1::VaultTable[r] = {c.rows[r].name, c.rows[r].hint, c.rows[r].login, c.rows[r].edit};
    LoadCredentials();
    EXPECT_EQ(Module1::HintText, c.hint) << c.what;
    EXPECT_EQ(Module1::LoginPasswordText, c.login) << c.what;
    EXPECT_EQ(Module1::EditPasswordText, c.edit) << c.what;
  }
}

TEST(LoadCredentials, KeepsTheHintWhenNoRowMatches) {
  Module1::Reset();
  Module1::HintText = "earlier";
  Module1::RowCount = 1;
  Module1::VaultTable[0][0] = "Bank";
  LoadCredentials();
  EXPECT_EQ(Module1::HintText, "earlier");
}

TEST(LoadCredentials, StaysInsideTheTable) {
  Module1::Reset();
  Module1::RowCount = 32767;  // more rows than the table has
  Module1::VaultTable[99] = {"LoginPassword", "h", "l", "e"};
  LoadCredentials();
  EXPECT_EQ(Module1::LoginPasswordText, "l");
}

}  // namespace
