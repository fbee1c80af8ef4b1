#include "catalog/owners.h"

#include <gtest/gtest.h>

#include "catalog_fixture.h"

namespace korvane {
namespace {

using testing::CatalogTest;
using testing::Failure;
using testing::kAllOwnersQuery;
using testing::kTablesQuery;
using testing::ObjectRows;
using testing::OneColumn;
using testing::OwnerQuery;
using testing::OwnerRow;
using testing::RecordingRenderer;
using testing::Rows;
using testing::SchemaByIdQuery;

using OwnersTest = CatalogTest;

TEST_F(OwnersTest, TypeLetters) {
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kProcedures), "P");
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kFunctions), "FN");
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kViews), "V");
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kTriggers), "TR");
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kTables), "U");
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kRelationships), "F");
  EXPECT_EQ(ObjectTypeLetter(ObjectType::kConstraints), "");
}

TEST_F(OwnersTest, GetOwnerQueriesByNameAndLetter) {
  const struct {
    std::string name;
    ObjectType type;
    std::string query;  // empty: no query at all
    CommandOutcome answer;
    std::string owner;
  } cases[] = {
      {"Orders", ObjectType::kTables, OwnerQuery("Orders", "U"), OwnerRow("sales"), "sales"},
      {"fnTax", ObjectType::kFunctions, OwnerQuery("fnTax", "FN"),
       Rows({"ObjectName", "Owner"}, {}), ""},
      {"O'Brien", ObjectType::kViews, OwnerQuery("O''Brien", "V"), OwnerRow("dbo"), "dbo"},
      {"Orders", ObjectType::kProcedures, OwnerQuery("Orders", "P"), Failure(4060, "42000", "no"),
       ""},
      {"PK_x", ObjectType::kConstraints, "", OwnerRow("dbo"), ""},  // no letter, no query
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " " + c.query);
    backend_->commands.clear();
    if (!c.query.empty())
      Respond(c.query, c.answer);
    EXPECT_EQ(GetOwner(context_, server(), "Sales", c.name, c.type), c.owner);
    if (c.query.empty()) {
      EXPECT_TRUE(Queries().empty());
    } else {
      ASSERT_EQ(QueriesWithDatabase().size(), 1u);
      EXPECT_EQ(QueriesWithDatabase()[0], (std::pair<std::string, std::string>{"Sales", c.query}));
    }
  }
}

TEST_F(OwnersTest, AllOwnersTextSkipsEmptyNames) {
  Respond(kAllOwnersQuery,
          Rows({"Owner"},
               {{Value::Text("dbo")}, {Value::Text("")}, {Value::Null()}, {Value::Text("sales")}}));
  EXPECT_EQ(GetAllOwners(context_, server(), "Sales", ObjectType::kViews), "dbo,sales,");
}

TEST_F(OwnersTest, AllOwnersFailureIsEmpty) {
  Respond(kAllOwnersQuery, Failure(4060, "42000", "no"));
  EXPECT_EQ(GetAllOwners(context_, server(), "Sales", ObjectType::kTables), "");
}

TEST_F(OwnersTest, FillOwnerSelectorPutsAllOwnersFirstAndSelectsIt) {
  MemorySelector selector;
  int handled = 0;
  selector.SetSelectionHandler([&](int) { handled += selector.IsBusy() ? 0 : 1; });
  FillOwnerSelector(selector, std::string_view("dbo,,sales,"));
  EXPECT_EQ(selector.Texts(), (std::vector<std::string>{"All Owners", "dbo", "sales"}));
  EXPECT_EQ(selector.CurrentIndex(), 0);
  EXPECT_EQ(selector.Tag(), "");
  EXPECT_EQ(handled, 0);
  FillOwnerSelector(selector, std::string_view(""));
  EXPECT_EQ(selector.Texts(), (std::vector<std::string>{"All Owners"}));
}

TEST_F(OwnersTest, LoadOwnersOnlyWhileShown) {
  MemorySelector types;
  MemorySelector owners;
  context_.settings.show_owners = false;
  LoadOwners(context_, server(), "Sales", types, owners);
  EXPECT_EQ(owners.Count(), 0);
  EXPECT_TRUE(Queries().empty());

  context_.settings.show_owners = true;
  Respond(kAllOwnersQuery, OneColumn("Owner", {"dbo", "O'Brien, Ltd"}));
  LoadOwners(context_, server(), "Sales", types, owners);
  // A comma inside an owner's name does not split it.
  EXPECT_EQ(owners.Texts(), (std::vector<std::string>{"All Owners", "dbo", "O'Brien, Ltd"}));
}

// --- the owner filter
// -----------------------------------------------------------------------------

class OwnerFilterTest : public CatalogTest {
 protected:
  OwnerFilterTest() {
    databases_.AddRow("Sales");
    databases_.SetCurrentRow(0);
    context_.settings.show_owners = true;
  }
  void Filter(std::string owner) {
    owners_.Clear();
    owners_.AddItem(owner);
    owners_.SetCurrentIndex(0);
    FilterObjectsByOwner(context_, server(), side_, ObjectType::kTables, renderer_.Function());
  }
  MemoryListControl databases_;
  MemorySelector owners_;
  MemoryListControl objects_;
  MemoryTextView view_;
  SideControls side_{databases_, owners_, objects_, view_};
  RecordingRenderer renderer_;
};

TEST_F(OwnerFilterTest, KeepsOnlyObjectsOfTheChosenOwner) {
  Respond(kTablesQuery, ObjectRows({{"A", "", 1}, {"B", "", 2}, {"C", "", 3}}));
  Respond(OwnerQuery("A", "U"), OwnerRow("sales"));
  Respond(OwnerQuery("B", "U"), OwnerRow("dbo"));
  Respond(OwnerQuery("C", "U"), Failure(4060, "42000", "no"));  // unreadable: removed
  Filter("sales");
  EXPECT_EQ(Column(objects_, 0), (std::vector<std::string>{"A"}));
  EXPECT_EQ(objects_.CurrentRow(), 0);
  // Rows are asked from the last to the first.
  EXPECT_EQ(Queries(), (std::vector<std::string>{std::string(kTablesQuery), OwnerQuery("C", "U"),
                                                 OwnerQuery("B", "U"), OwnerQuery("A", "U")}));
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].selected, "A");
  EXPECT_EQ(view_.Text(), "text of A");
  EXPECT_EQ(objects_.Tag(), "");
  EXPECT_TRUE(objects_.redraw());
  EXPECT_GE(ui_.pending_events_pumped, 1);
}

TEST_F(OwnerFilterTest, AllOwnersListsEveryObjectWithoutOwnerQueries) {
  Respond(kTablesQuery, ObjectRows({{"A", "", 1}, {"B", "", 2}}));
  Filter("All Owners");
  EXPECT_EQ(Column(objects_, 0), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Queries().size(), 1u);
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].selected, "A");
}

TEST_F(OwnerFilterTest, NoObjectOfTheOwnerLeavesAnEmptyList) {
  Respond(kTablesQuery, ObjectRows({{"A", "", 1}}));
  Respond(OwnerQuery("A", "U"), OwnerRow("dbo"));
  Filter("sales");
  EXPECT_EQ(objects_.RowCount(), 0);
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].selected, "");
}

TEST_F(OwnerFilterTest, SchemaQualifiedDuplicatesKeepTheirSchemaAsOwner) {
  MakeVersion9(server());
  Respond(kTablesQuery, ObjectRows({{"Orders", "", 7}, {"Orders", "", 9}}));
  Respond(SchemaByIdQuery(7), OneColumn("", {"dbo"}));
  Respond(SchemaByIdQuery(9), OneColumn("", {"sales"}));
  Filter("sales");
  EXPECT_EQ(Column(objects_, 0), (std::vector<std::string>{"sales.Orders"}));
  EXPECT_EQ(Queries().size(), 3u);  // no owner query by the qualified name
}

}  // namespace
}  // namespace korvane
