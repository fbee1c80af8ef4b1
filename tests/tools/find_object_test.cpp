#include "tools/find_object.h"

#include <gtest/gtest.h>

#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "catalog/sql_names.h"
#include "tools/embedded_tools_fixture.h"

namespace korvane::testing {
namespace {

TEST(FindObjectTextsTest, CaptionPromptLabelAndMessagesFollowTheType) {
  struct Case {
    ObjectType type;
    const char* caption;
    const char* prompt;
    const char* empty_list;
  };
  const Case cases[] = {
      {ObjectType::kProcedures, "Find Procedure",
       "Type the first letters of the name of the procedure you want to search for",
       "Cannot search for object - the list of procedures is empty."},
      {ObjectType::kTables, "Find Table",
       "Type the first letters of the name of the table you want to search for",
       "Cannot search for object - the list of tables is empty."},
      {ObjectType::kRelationships, "Find Relationship",
       "Type the first letters of the name of the relationship you want to search for",
       "Cannot search for object - the list of relationships is empty."},
      {ObjectTypeFromCode(99), "Find Object",
       "Type the first letters of the name of the object you want to search for",
       "Cannot search for object - the list of objects is empty."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(FindObjectCaption(c.type), c.caption);
    EXPECT_EQ(FindObjectPrompt(c.type), c.prompt);
    EXPECT_EQ(FindObjectLabel(c.type), std::string(c.prompt) + " and click button 'Search'.");
    EXPECT_EQ(FindObjectPreCheck(true, false, c.type), std::optional<std::string>(c.empty_list));
  }
  EXPECT_EQ(FindObjectPreCheck(false, false, ObjectType::kViews),
            std::optional<std::string>("Cannot search for object - the list of databases is "
                                       "empty."));
  EXPECT_EQ(FindObjectPreCheck(true, true, ObjectType::kViews), std::nullopt);
  EXPECT_EQ(SelectObjectToViewMessage(ObjectType::kViews),
            "Please select the view you want to view.");
}

TEST(FindObjectTextsTest, SearchFilterDoublesQuotesAndEscapesWildcards) {
  const std::pair<const char*, const char*> cases[] = {
      {"Cust", "LIKE 'Cust%'"},       {"O'Brien", "LIKE 'O''Brien%'"},
      {"under_", "LIKE 'under[_]%'"}, {"100%", "LIKE '100[%]%'"},
      {"[x]", "LIKE '[[]x]%'"},       {"a'_%[", "LIKE 'a''[_][%][[]%'"},
      {"Grüße", "LIKE 'Grüße%'"},
  };
  for (const auto& [typed, filter] : cases)
    EXPECT_EQ(SearchNameFilter(typed), filter) << typed;
}

TEST(FindObjectTextsTest, LikeWildcardEscapeLeavesOtherLettersAlone) {
  EXPECT_EQ(EscapeLikeWildcards(""), "");
  EXPECT_EQ(EscapeLikeWildcards("abc]'"), "abc]'");
  EXPECT_EQ(EscapeLikeWildcards("__"), "[_][_]");
}

TEST(FindObjectTextsTest, PrefixIgnoresAsciiCase) {
  EXPECT_TRUE(StartsWithIgnoringCase("FK_Orders", "fk_o"));
  EXPECT_TRUE(StartsWithIgnoringCase("x", ""));
  EXPECT_FALSE(StartsWithIgnoringCase("FK", "FK_"));
  EXPECT_FALSE(StartsWithIgnoringCase("PK_Orders", "FK"));
}

TEST(ChooseFoundObjectTest, NameAfterTheLastDotAndIdOfTheCurrentRow) {
  struct Case {
    const char* shown;
    const char* name;
  };
  const Case cases[] = {{"Orders", "Orders"},
                        {"sales.Orders", "Orders"},
                        {"a.b.c.Orders", "Orders"},
                        {"  spaced  ", "spaced"}};
  for (const Case& c : cases) {
    RecordingUserInterface ui;
    MemoryListControl list;
    list.SetColumnCount(3);
    const int row = list.AddRow(c.shown);
    list.SetCell(row, 2, "42");
    list.SetCurrentRow(row);
    const FindObjectChoice choice = ChooseFoundObject(ui, list, ObjectType::kTables);
    EXPECT_EQ(choice.kind, FindObjectChoice::Kind::kFound) << c.shown;
    EXPECT_EQ(choice.name, c.name);
    EXPECT_EQ(choice.id, 42);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(ChooseFoundObjectTest, EmptyListClosesAndNoCurrentRowAsksForOne) {
  RecordingUserInterface ui;
  MemoryListControl list;
  list.SetColumnCount(3);
  EXPECT_EQ(ChooseFoundObject(ui, list, ObjectType::kViews).kind,
            FindObjectChoice::Kind::kCloseWithoutResult);
  list.AddRow("v1");
  list.SetCurrentRow(-1);
  EXPECT_EQ(ChooseFoundObject(ui, list, ObjectType::kViews).kind,
            FindObjectChoice::Kind::kStayOpen);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Please select the view you want to view.");
  EXPECT_EQ(ui.messages[0].title, "Cannot View");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kInformation);
}

TEST(SelectObjectByIdTest, SelectsTheRowWithThatIdOnly) {
  MemoryListControl list;
  list.SetColumnCount(3);
  for (const auto& [name, id] : {std::pair{"a", "7"}, {"b", "17"}, {"c", "170"}})
    list.SetCell(list.AddRow(name), 2, id);
  list.SetCurrentRow(0);
  EXPECT_EQ(SelectObjectById(list, 17), 1);
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(SelectObjectById(list, 1), -1);
  EXPECT_EQ(list.CurrentRow(), 1);
}

constexpr std::string_view kSearchScript = R"(
CREATE TABLE under_x (id int NOT NULL CONSTRAINT PK_under_x PRIMARY KEY)
GO
CREATE TABLE underXtab (id int NOT NULL CONSTRAINT PK_underXtab PRIMARY KEY)
GO
CREATE TABLE [O'Brien] (id int NOT NULL)
GO
CREATE TABLE [100%done] (id int NOT NULL)
GO
CREATE TABLE [1000] (id int NOT NULL)
GO
CREATE TABLE [[br] (id int NOT NULL)
GO
CREATE TABLE brx (id int NOT NULL)
GO
CREATE TABLE [Grüße] (id int NOT NULL)
GO
CREATE TABLE Orders (id int NOT NULL CONSTRAINT PK_Orders PRIMARY KEY,
  under_id int NULL CONSTRAINT FK_Orders_under REFERENCES under_x (id),
  tab_id int NULL CONSTRAINT FK_Orders_tab REFERENCES underXtab (id))
GO
CREATE TABLE Lines (id int NOT NULL, order_id int NULL CONSTRAINT fk_lines_orders REFERENCES Orders (id))
GO
CREATE FUNCTION dbo.fn_total () RETURNS int AS BEGIN RETURN 1 END
GO
CREATE FUNCTION dbo.fn_tax () RETURNS int AS BEGIN RETURN 2 END
GO
CREATE FUNCTION dbo.other_fn () RETURNS int AS BEGIN RETURN 3 END
GO
CREATE FUNCTION dbo.fn_lines () RETURNS TABLE AS RETURN (SELECT id FROM Lines)
GO
)";

class SearchObjectsTest : public EmbeddedToolsTest {
 protected:
  std::optional<std::vector<std::string>> Search(ObjectType type, std::string_view typed) {
    const auto entries = SearchObjects(context_, context_.CurrentServers[kSource], list_, &view_,
                                       type, "shop", typed);
    if (!entries)
      return std::nullopt;
    std::vector<std::string> names;
    for (const ObjectEntry& entry : *entries)
      names.push_back(entry.Name);
    EXPECT_EQ(list_.RowCount(), static_cast<int>(names.size()));
    return names;
  }

  MemoryListControl list_;
  MemoryTextView view_;
};

TEST_F(SearchObjectsTest, TypedLettersMatchAsTyped) {
  Load("shop", kSearchScript);
  using Names = std::vector<std::string>;
  struct Case {
    const char* typed;
    Names found;
  };
  const Case cases[] = {
      {"under", {"under_x", "underXtab"}},
      {"  UNDER_  ", {"under_x"}},
      {"O'Bri", {"O'Brien"}},
      {"100%", {"100%done"}},
      {"[b", {"[br"}},
      {"Grü", {"Grüße"}},
      {"nothing", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Search(ObjectType::kTables, c.typed), std::optional<Names>(c.found)) << c.typed;
  EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

// Fault: "_" was a LIKE wildcard, so "under_" also listed underXtab.
TEST_F(SearchObjectsTest, UnderscoreIsNoWildcardRegression) {
  Load("shop", kSearchScript);
  EXPECT_EQ(Search(ObjectType::kTables, "under_"),
            std::optional(std::vector<std::string>{"under_x"}));
}

// Fault: the relationship and constraint lists ignored the typed letters and listed everything.
TEST_F(SearchObjectsTest, RelationshipsAndConstraintsFilteredByPrefixRegression) {
  Load("shop", kSearchScript);
  EXPECT_EQ(Search(ObjectType::kRelationships, "fk_orders"),
            std::optional(std::vector<std::string>{"FK_Orders_tab", "FK_Orders_under"}));
  EXPECT_EQ(Search(ObjectType::kRelationships, "FK_L"),
            std::optional(std::vector<std::string>{"fk_lines_orders"}));
  EXPECT_EQ(Search(ObjectType::kRelationships, "zz"), std::optional(std::vector<std::string>{}));
  const auto constraints = Search(ObjectType::kConstraints, "pk_under");
  ASSERT_TRUE(constraints);
  EXPECT_EQ(*constraints, (std::vector<std::string>{"PK_under_x", "PK_underXtab"}));
}

// Fault: the function query joins its kinds with "or", so the name filter held only for table
// functions and every scalar function was listed whatever letters were typed.
TEST_F(SearchObjectsTest, FunctionsOfEveryKindFilteredByPrefixRegression) {
  Load("shop", kSearchScript);
  EXPECT_EQ(Search(ObjectType::kFunctions, "FN_T"),
            std::optional(std::vector<std::string>{"fn_tax", "fn_total"}));
  EXPECT_EQ(Search(ObjectType::kFunctions, "fn_l"),
            std::optional(std::vector<std::string>{"fn_lines"}));
}

TEST_F(SearchObjectsTest, BlankTextShowsThePromptAndQueriesNothing) {
  FakeBackend& fake = UseFakeServer();
  for (const char* typed : {"", "   "}) {
    EXPECT_EQ(Search(ObjectType::kViews, typed), std::nullopt);
  }
  EXPECT_TRUE(fake.commands.empty());
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text,
            "Type the first letters of the name of the view you want to search for.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui_.messages[0].title, kApplicationTitle);
}

TEST_F(SearchObjectsTest, QuoteIsSentDoubledInsideTheNameFilter) {
  FakeBackend& fake = UseFakeServer();
  ASSERT_TRUE(Search(ObjectType::kViews, " O'Brien "));
  ASSERT_EQ(fake.commands.size(), 1u);
  const std::string& sent = fake.commands[0].second.text;
  EXPECT_NE(sent.find("and [name] LIKE 'O''Brien%'"), std::string::npos) << sent;
}

}  // namespace
}  // namespace korvane::testing
