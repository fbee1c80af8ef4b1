#include "catalog/object_list.h"

#include <gtest/gtest.h>

#include "catalog_fixture.h"
#include "db/data_access.h"

namespace korvane {
namespace {

using testing::CatalogTest;
using testing::Failure;
using testing::kTablesQuery;
using testing::ObjectRows;
using testing::OneColumn;
using testing::RecordingRenderer;
using testing::RecordingUserInterface;
using testing::Rows;
using testing::SchemaByIdQuery;

constexpr std::string_view kRelationshipQuery =
    "SELECT so.name AS name, so.refdate AS refdate, so.id AS id FROM sysreferences sr "
    "INNER JOIN sysobjects so ON sr.constid = so.id "
    "INNER JOIN sysobjects sof ON sof.id = sr.fkeyid "
    "INNER JOIN sysobjects sor ON sor.id = sr.rkeyid "
    "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sr.fkey1 "
    "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sr.rkey1 "
    "ORDER BY so.name";

// --- BuildObjSQLString
// ----------------------------------------------------------------------------

class BuildObjSqlStringTest : public ::testing::Test {
 protected:
  std::string Build(ObjectType type, bool ignore_sys, std::string_view name = {},
                    std::string_view filter = {}) {
    return BuildObjSQLString(ui_, type, ignore_sys, name, filter);
  }
  RecordingUserInterface ui_;
};

TEST_F(BuildObjSqlStringTest, EachSysobjectsTypeWithAndWithoutSystemObjects) {
  EXPECT_EQ(Build(ObjectType::kTables, true), kTablesQuery);
  EXPECT_EQ(Build(ObjectType::kTables, false),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = "
            "1 order by name");
  EXPECT_EQ(Build(ObjectType::kProcedures, true),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsProcedure') = "
            "1 and xtype <> 'S'  order by name");
  EXPECT_EQ(Build(ObjectType::kFunctions, false),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, "
            "N'IsInlineFunction') = 1 or OBJECTPROPERTY(id, N'IsScalarFunction') = 1  or "
            "OBJECTPROPERTY(id, N'IsTableFunction') = 1 order by name");
  EXPECT_EQ(Build(ObjectType::kViews, false),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsView') = 1 "
            "order by name");
  EXPECT_EQ(Build(ObjectType::kTriggers, false),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsTrigger') = 1 "
            "order by name");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(BuildObjSqlStringTest, NameAndFilterAreAppendedInOrder) {
  EXPECT_EQ(Build(ObjectType::kTables, true, "Orders", "LIKE 'Or%'"),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = "
            "1 and xtype <> 'S'  and name = 'Orders'  and [name] LIKE 'Or%' order by name");
}

TEST_F(BuildObjSqlStringTest, FunctionPredicateIsParenthesisedBeforeAnythingAppended) {
  // Without the parentheses "a or b or c and name = 'f'" lists every scalar function.
  constexpr std::string_view kFunctions =
      "(OBJECTPROPERTY(id, N'IsInlineFunction') = 1 or OBJECTPROPERTY(id, N'IsScalarFunction') = "
      "1  or OBJECTPROPERTY(id, N'IsTableFunction') = 1)";
  const std::string select = "select name, refdate, id from sysobjects where ";
  EXPECT_EQ(Build(ObjectType::kFunctions, true),
            select + std::string(kFunctions) + " and xtype <> 'S'  order by name");
  EXPECT_EQ(Build(ObjectType::kFunctions, false, "fn_A"),
            select + std::string(kFunctions) + " and name = 'fn_A'  order by name");
  EXPECT_EQ(Build(ObjectType::kFunctions, false, "", "LIKE 'fn%'"),
            select + std::string(kFunctions) + " and [name] LIKE 'fn%' order by name");
}

TEST_F(BuildObjSqlStringTest, QuoteInANameCannotEndTheLiteral) {
  EXPECT_EQ(Build(ObjectType::kTables, false, "O'Brien"),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = "
            "1 and name = 'O''Brien'  order by name");
  EXPECT_EQ(Build(ObjectType::kViews, false, "x' or 1=1 --"),
            "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsView') = 1 "
            "and name = 'x'' or 1=1 --'  order by name");
}

TEST_F(BuildObjSqlStringTest, RelationshipsAndConstraintsIgnoreNameFilterAndSystemFlag) {
  EXPECT_EQ(Build(ObjectType::kRelationships, true, "x", "LIKE 'a%'"), kRelationshipQuery);
  EXPECT_EQ(Build(ObjectType::kConstraints, false, "x", "LIKE 'a%'"),
            "SELECT DISTINCT si.name as [name], so2.refdate AS refdate, so2.id AS id  "
            "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
            "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
            "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
            "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
            "WHERE si.indid = 1 AND  si.name LIKE 'pk%' AND "
            "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
            "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 ORDER BY si.name");
}

TEST_F(BuildObjSqlStringTest, WrongTypeShowsTheMessageAndGivesNoQuery) {
  EXPECT_EQ(Build(ObjectTypeFromCode(70), true), "");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "BuildObjSQLString, wrong object type passed");
}

// --- CountObjects
// ---------------------------------------------------------------------------------

using CountObjectsTest = CatalogTest;

TEST_F(CountObjectsTest, CountsSysobjectsTypesWithoutTheSystemFilter) {
  Respond(
      "SELECT COUNT (*) AS RecsCount FROM dbo.sysobjects where OBJECTPROPERTY(id, "
      "N'IsUserTable') = 1",
      Rows({"RecsCount"}, {{Value::Integer(12)}}));
  EXPECT_EQ(CountObjects(context_, server(), "Sales", ObjectType::kTables), 12);
  EXPECT_EQ(QueriesWithDatabase()[0].first, "Sales");
}

TEST_F(CountObjectsTest, CountsRelationshipsWithTheFiveJoinsAndNoOrdering) {
  Respond(
      "SELECT COUNT (*) FROM sysreferences sr "
      "INNER JOIN sysobjects so ON sr.constid = so.id "
      "INNER JOIN sysobjects sof ON sof.id = sr.fkeyid "
      "INNER JOIN sysobjects sor ON sor.id = sr.rkeyid "
      "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sr.fkey1 "
      "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sr.rkey1 ",
      Rows({""}, {{Value::Text("3")}}));
  EXPECT_EQ(CountObjects(context_, server(), "Sales", ObjectType::kRelationships), 3);
}

TEST_F(CountObjectsTest, FailureAndWrongTypeGiveMinusOne) {
  Respond(
      "SELECT COUNT (*) AS RecsCount FROM dbo.sysobjects where OBJECTPROPERTY(id, "
      "N'IsView') = 1",
      Failure(4060, "42000", "Cannot open database."));
  EXPECT_EQ(CountObjects(context_, server(), "Sales", ObjectType::kViews), -1);
  ASSERT_EQ(ui_.messages.size(), 1u);  // run command reported the failure
  EXPECT_EQ(CountObjects(context_, server(), "Sales", ObjectType::kConstraints), -1);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text, "Function CountObjects - wrong parameter passed.");
  EXPECT_EQ(Queries().size(), 1u);
}

// --- LoadObjects
// ----------------------------------------------------------------------------------

class LoadObjectsTest : public CatalogTest {
 protected:
  std::vector<ObjectEntry> Load(ObjectType type = ObjectType::kTables,
                                std::string_view filter = {}) {
    return LoadObjects(context_, server(), list_, &view_, type, "Sales", renderer_.Function(),
                       filter);
  }
  MemoryListControl list_;
  MemoryTextView view_;
  RecordingRenderer renderer_;
};

TEST_F(LoadObjectsTest, FillsThreeColumnsSelectsTheFirstRowAndShowsIt) {
  Respond(kTablesQuery,
          ObjectRows({{"Customers", "2024-03-07 14:05:09 pm", 5}, {"Orders", "2024-01-02", 7}}));
  int events_while_not_busy = 0;
  list_.SetSelectionHandler([&](int) { events_while_not_busy += list_.IsBusy() ? 0 : 1; });
  const std::vector<ObjectEntry> entries = Load();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (ObjectEntry{"Customers", "2024-03-07 14:05:09 pm", 5, ""}));
  EXPECT_EQ(Column(list_, 0), (std::vector<std::string>{"Customers", "Orders"}));
  EXPECT_EQ(Column(list_, 1), (std::vector<std::string>{"2024-03-07 14:05:09 PM", "2024-01-02"}));
  EXPECT_EQ(Column(list_, 2), (std::vector<std::string>{"5", "7"}));
  EXPECT_TRUE(list_.IsColumnHidden(2));
  EXPECT_FALSE(list_.IsColumnHidden(0));
  EXPECT_EQ(list_.ColumnWidth(0), -1);  // sized from the list's width
  EXPECT_EQ(list_.CurrentRow(), 0);
  EXPECT_EQ(list_.Tag(), "");
  EXPECT_EQ(events_while_not_busy, 0);  // filled while marked busy
  ASSERT_EQ(renderer_.calls.size(), 1u);
  EXPECT_EQ(renderer_.calls[0].selected, "Customers");
  EXPECT_EQ(renderer_.calls[0].database, "Sales");
  EXPECT_EQ(renderer_.calls[0].type, ObjectType::kTables);
  EXPECT_EQ(view_.Text(), "text of Customers");
  EXPECT_EQ(
      QueriesWithDatabase(),
      (std::vector<std::pair<std::string, std::string>>{{"Sales", std::string(kTablesQuery)}}));
}

TEST_F(LoadObjectsTest, SystemTablesListedWhenNotIgnored) {
  context_.settings.ignore_sys_objects = false;
  Respond(
      "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1 "
      "order by name",
      ObjectRows({{"sysobjects", "", 1}, {"T", "", 2}}));
  EXPECT_EQ(Load().size(), 2u);
}

TEST_F(LoadObjectsTest, FilterReachesTheQuery) {
  Respond(
      "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1 "
      "and xtype <> 'S'  and [name] LIKE 'Or%' order by name",
      ObjectRows({{"Orders", "", 7}}));
  EXPECT_EQ(Load(ObjectType::kTables, "LIKE 'Or%'").size(), 1u);
}

TEST_F(LoadObjectsTest, EmptyDatabaseEmptiesTheListAndShowsNothing) {
  list_.AddRow("stale");
  Respond(kTablesQuery, ObjectRows({}));
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(list_.RowCount(), 0);
  EXPECT_EQ(list_.CurrentRow(), -1);
  EXPECT_TRUE(renderer_.calls.empty());
}

TEST_F(LoadObjectsTest, FailedQueryLeavesTheListEmpty) {
  list_.AddRow("stale");
  Respond(kTablesQuery, Failure(4060, "42000", "Cannot open database \"Sales\"."));
  EXPECT_TRUE(Load().empty());
  EXPECT_EQ(list_.RowCount(), 0);
  EXPECT_TRUE(renderer_.calls.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.starts_with("Server connection failed."));
}

TEST_F(LoadObjectsTest, WrongTypeListsNothingAndQueriesNothing) {
  list_.AddRow("stale");
  EXPECT_TRUE(Load(ObjectTypeFromCode(70)).empty());
  EXPECT_EQ(list_.RowCount(), 0);
  EXPECT_TRUE(Queries().empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "BuildObjSQLString, wrong object type passed");
}

TEST_F(LoadObjectsTest, WithoutRenderFlagTheViewIsLeftAlone) {
  Respond(kTablesQuery, ObjectRows({{"Orders", "", 7}}));
  view_.SetText("before");
  LoadObjects(context_, server(), list_, &view_, ObjectType::kTables, "Sales");
  EXPECT_EQ(view_.Text(), "before");
  EXPECT_EQ(list_.RowCount(), 1);
}

TEST_F(LoadObjectsTest, DuplicatesStayBareOnVersion8) {
  Respond(kTablesQuery, ObjectRows({{"Orders", "", 7}, {"Orders", "", 9}}));
  EXPECT_EQ(Load().size(), 2u);
  EXPECT_EQ(Column(list_, 0), (std::vector<std::string>{"Orders", "Orders"}));
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(LoadObjectsTest, DuplicatesAreQualifiedWithTheirSchemasOnVersion9) {
  MakeVersion9(server());
  Respond(kTablesQuery,
          ObjectRows({{"Customers", "", 3}, {"Orders", "", 7}, {"Orders", "", 9}, {"Z", "", 11}}));
  Respond(SchemaByIdQuery(7), OneColumn("", {"dbo"}));
  Respond(SchemaByIdQuery(9), OneColumn("", {"sales"}));
  const std::vector<ObjectEntry> entries = Load();
  EXPECT_EQ(Column(list_, 0),
            (std::vector<std::string>{"Customers", "dbo.Orders", "sales.Orders", "Z"}));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].Schema, "dbo");
  EXPECT_EQ(entries[2].Schema, "sales");
  EXPECT_EQ(entries[0].Schema, "");
  EXPECT_EQ(Queries().size(), 3u);  // only the duplicates were looked up
  EXPECT_EQ(ui_.pending_events_pumped, 2);
}

TEST_F(LoadObjectsTest, VersionIsReadFromTheVersionText) {
  server().Version = "10.50.1600";
  server().NumVersion = 10;
  Respond(kTablesQuery, ObjectRows({{"T", "", 1}, {"T", "", 2}, {"T", "", 3}}));
  for (int id : {1, 2, 3}) {
    Respond(SchemaByIdQuery(id), OneColumn("", {"s" + std::to_string(id)}));
  }
  Load();
  EXPECT_EQ(Column(list_, 0), (std::vector<std::string>{"s1.T", "s2.T", "s3.T"}));
  EXPECT_EQ(Queries().size(), 4u);  // the middle entry was asked once
}

TEST_F(LoadObjectsTest, FailureInTheRendererIsReportedNotThrown) {
  Respond(kTablesQuery, ObjectRows({{"Orders", "", 7}}));
  const StructureTextRenderer failing = [](ServerRecord&, ListControl&, TextView&, ObjectType,
                                           std::string_view) {
    throw std::runtime_error("renderer broke");
  };
  const std::vector<ObjectEntry> entries =
      LoadObjects(context_, server(), list_, &view_, ObjectType::kTables, "Sales", failing);
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(list_.RowCount(), 1);  // the list stays as far as it was filled
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].module_name, "modNew");
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "LoadObjects");
  EXPECT_EQ(ui_.error_reports[0].error_description, "renderer broke");
}

TEST_F(LoadObjectsTest, EntriesReadNullsAsEmptyAndTextIdsAsNumbers) {
  Respond(kTablesQuery,
          Rows({"name", "refdate", "id"}, {{Value::Text("A"), Value::Null(), Value::Text("42")},
                                           {Value::Text("B"), Value::Text("x"), Value::Null()}}));
  const std::vector<ObjectEntry> entries = Load();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (ObjectEntry{"A", "", 42, ""}));
  EXPECT_EQ(entries[1], (ObjectEntry{"B", "x", 0, ""}));
}

TEST(HasNeighbouringDuplicatesTest, OnlyNeighboursCountAndCaseMatters) {
  EXPECT_FALSE(HasNeighbouringDuplicates({}));
  EXPECT_FALSE(HasNeighbouringDuplicates({{"a", "", 1, ""}, {"A", "", 2, ""}}));
  EXPECT_TRUE(HasNeighbouringDuplicates({{"a", "", 1, ""}, {"b", "", 2, ""}, {"b", "", 3, ""}}));
}

// --- LoadObjects_ToRecordset
// ----------------------------------------------------------------------

TEST_F(LoadObjectsTest, ToRecordsetRunsTheListQueryOverTheOpenConnection) {
  Respond(
      "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsView') = 1 and "
      "xtype <> 'S'  order by name",
      ObjectRows({{"v1", "", 1}, {"v2", "", 2}}));
  std::unique_ptr<DatabaseSession> session = ADO_Connection_Open(context_, server(), "Sales");
  ASSERT_NE(session, nullptr);
  std::optional<Recordset> rows = LoadObjects_ToRecordset(context_, *session, ObjectType::kViews);
  ASSERT_TRUE(rows.has_value());
  EXPECT_EQ(rows->RecordCount(), 2);
  EXPECT_EQ(NullText(rows->Field("name")), "v1");
  EXPECT_EQ(backend_->connections.size(), 1u);
  EXPECT_EQ(QueriesWithDatabase()[0].first, "Sales");
}

TEST_F(LoadObjectsTest, ToRecordsetGivesNothingOnFailure) {
  Respond(kTablesQuery, Failure(4060, "42000", "gone"));
  std::unique_ptr<DatabaseSession> session = ADO_Connection_Open(context_, server(), "Sales");
  ASSERT_NE(session, nullptr);
  EXPECT_FALSE(LoadObjects_ToRecordset(context_, *session, ObjectType::kTables).has_value());
}

}  // namespace
}  // namespace korvane
