#include "catalog/schema_names.h"

#include <gtest/gtest.h>

#include "catalog_fixture.h"
#include "db/data_access.h"

namespace korvane {
namespace {

using testing::CatalogTest;
using testing::Failure;
using testing::MissingView;
using testing::OneColumn;
using testing::Rows;

std::string NewerQuery(int id) {
  return "SELECT OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects WHERE [object_id] = " +
         std::to_string(id);
}
std::string OlderQuery(int id) {
  return "SELECT USER_NAME(uid) FROM sysobjects WHERE [id] = " + std::to_string(id);
}
std::string OwnerQuery(std::string_view name, std::string_view letter) {
  return "SELECT so.name AS ObjectName, su.name AS Owner FROM sysobjects so INNER JOIN sysusers "
         "su ON so.uid = su.uid WHERE so.name = '" +
         std::string(name) + "' AND so.xtype = '" + std::string(letter) + "'";
}
std::string TableSchemaQuery(std::string_view name) {
  return "SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = '" +
         std::string(name) + "'";
}
CommandOutcome OwnerRow(std::string owner) {
  return Rows({"ObjectName", "Owner"}, {{Value::Text("x"), Value::Text(std::move(owner))}});
}

// --- Db_GetObjSchemaById
// --------------------------------------------------------------------------

using SchemaByIdTest = CatalogTest;

TEST_F(SchemaByIdTest, IdBelowOneIsEmptyWithoutAQuery) {
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 0), "");
  EXPECT_TRUE(Queries().empty());
}

TEST_F(SchemaByIdTest, Version8UsesUserName) {
  Respond(OlderQuery(7), OneColumn("", {"dbo"}));
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 7), "dbo");
  EXPECT_EQ(QueriesWithDatabase()[0].first, "Sales");
}

TEST_F(SchemaByIdTest, Version9UsesObjectSchemaName) {
  MakeVersion9(server());
  Respond(NewerQuery(7), OneColumn("", {"sales"}));
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 7), "sales");
  EXPECT_EQ(server().NumVersion, 9);
}

TEST_F(SchemaByIdTest, NoRowGivesEmptySuccess) {
  Respond(OlderQuery(7), OneColumn("", {}));
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 7), "");
}

TEST_F(SchemaByIdTest, RejectedNewerCatalogueFallsBackSilentlyAndStaysOnTheOlderOne) {
  MakeVersion9(server());
  Respond(NewerQuery(7), MissingView());
  Respond(OlderQuery(7), OneColumn("", {"sales"}));
  Respond(OlderQuery(8), OneColumn("", {"dbo"}));
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 7), "sales");
  EXPECT_EQ(server().NumVersion, 8);
  EXPECT_EQ(server().Version, "9.00.5000.00");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 8), "dbo");
  EXPECT_EQ(Queries(), (std::vector<std::string>{NewerQuery(7), OlderQuery(7), OlderQuery(8)}));
}

TEST_F(SchemaByIdTest, BothQueriesFailingReportsFailure) {
  MakeVersion9(server());
  Respond(NewerQuery(7), MissingView());
  Respond(OlderQuery(7), Failure(4060, "42000", "Cannot open database."));
  EXPECT_FALSE(Db_GetObjSchemaById(context_, server(), "Sales", 7).has_value());
  ASSERT_EQ(ui_.messages.size(), 1u);  // only the older query's failure is shown
  EXPECT_NE(ui_.messages[0].text.find(OlderQuery(7)), std::string::npos);
}

// --- GetSchemaForObject
// ---------------------------------------------------------------------------

using SchemaForObjectTest = CatalogTest;

TEST_F(SchemaForObjectTest, QueriesPerType) {
  Respond("SELECT ROUTINE_SCHEMA FROM INFORMATION_SCHEMA.ROUTINES WHERE ROUTINE_NAME = 'usp'",
          OneColumn("ROUTINE_SCHEMA", {"sales"}));
  Respond("SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.VIEWS WHERE TABLE_NAME = 'vw'",
          OneColumn("TABLE_SCHEMA", {"hr"}));
  Respond(TableSchemaQuery("T"), OneColumn("TABLE_SCHEMA", {"dbo"}));
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "usp", ObjectType::kProcedures),
            "sales");
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "usp", ObjectType::kFunctions),
            "sales");
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "vw", ObjectType::kViews), "hr");
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "T", ObjectType::kTables), "dbo");
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "FK", ObjectType::kRelationships), "");
  EXPECT_EQ(Queries().size(), 4u);
}

TEST_F(SchemaForObjectTest, QuotesInTheNameAreDoubled) {
  Respond(TableSchemaQuery("O''Brien"), OneColumn("TABLE_SCHEMA", {"x"}));
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "O'Brien", ObjectType::kTables), "x");
}

TEST_F(SchemaForObjectTest, FailureOrNoRowIsEmpty) {
  Respond(TableSchemaQuery("T"), Failure(4060, "42000", "no"));
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "T", ObjectType::kTables), "");
  Respond(TableSchemaQuery("U"), OneColumn("TABLE_SCHEMA", {}));
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "U", ObjectType::kTables), "");
}

TEST_F(SchemaForObjectTest, TriggerSchemaComesFromItsDefinition) {
  std::vector<std::string> read;
  const ModuleTextReader reader = [&](ServerRecord& record, std::string_view database,
                                      std::string_view name, ObjectType type) {
    read.push_back(record.Name + "/" + std::string(database) + "/" + std::string(name));
    EXPECT_EQ(type, ObjectType::kTriggers);
    return std::string("\r\nCREATE TRIGGER [sales].[trgOrders] ON [sales].[Orders] FOR INSERT");
  };
  EXPECT_EQ(
      GetSchemaForObject(context_, server(), "Sales", "trgOrders", ObjectType::kTriggers, reader),
      "sales");
  EXPECT_EQ(read, (std::vector<std::string>{"srv/Sales/trgOrders"}));
  EXPECT_EQ(GetSchemaForObject(context_, server(), "Sales", "trgOrders", ObjectType::kTriggers),
            "");  // no reader, no definition
  EXPECT_TRUE(Queries().empty());
}

TEST(TriggerSchemaTest, SchemaPartOfTheTriggerName) {
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER [sales].[trgOrders] ON [sales].[Orders]"),
            "sales");
  EXPECT_EQ(TriggerSchemaFromDefinition("/* x */ create trigger sales.trg_one on dbo.T for insert"),
            "sales");
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER  \"hr\" . \"t\"\r\nON T"), "hr");
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER [a]]b].[t] ON T"), "a]b");
  // A trigger name without schema has no schema (not the trigger's own name).
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER trgX ON dbo.T"), "");
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER [trgX] ON dbo.T"), "");
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER TRG_ONE ON T"), "");
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE PROCEDURE p AS SELECT 1"), "");
  EXPECT_EQ(TriggerSchemaFromDefinition("CREATE TRIGGER [unterminated"), "");
  EXPECT_EQ(TriggerSchemaFromDefinition(""), "");
}

// --- QualifyDuplicateNames
// ------------------------------------------------------------------------

TEST_F(SchemaForObjectTest, DuplicateWhoseSchemaCannotBeReadStaysBare) {
  MakeVersion9(server());
  std::vector<ObjectEntry> entries = {{"T", "", 1, ""}, {"T", "", 2, ""}};
  Respond(NewerQuery(1), OneColumn("", {"a"}));
  Respond(NewerQuery(2), OneColumn("", {}));
  QualifyDuplicateNames(context_, server(), ObjectType::kTables, "Sales", entries);
  EXPECT_EQ(entries[0].Name, "a.T");
  EXPECT_EQ(entries[1].Name, "T");
  EXPECT_EQ(entries[1].Schema, "");
}

// --- GetExtendedObjectName
// ------------------------------------------------------------------------

class ExtendedNameTest : public CatalogTest {
 protected:
  std::string Extended(std::string_view name, std::int32_t id = 0,
                       ObjectType type = ObjectType::kTables) {
    return GetExtendedObjectName(context_, server(), "Sales", name, type, id);
  }
};

TEST_F(ExtendedNameTest, DboOwnedObjectsAreTheBracketedNameAlone) {
  Respond(OwnerQuery("Orders", "U"), OwnerRow("dbo"));
  EXPECT_EQ(Extended("Orders"), "[Orders]");
  Respond(OwnerQuery("Missing", "U"), OwnerRow(""));
  EXPECT_EQ(Extended("Missing"), "[Missing]");
}

TEST_F(ExtendedNameTest, OtherOwnersQualifyTheName) {
  Respond(OwnerQuery("Orders", "U"), OwnerRow("sales"));
  EXPECT_EQ(Extended("Orders"), "[sales].[Orders]");
  Respond(OwnerQuery("usp", "P"), OwnerRow("od]d"));
  EXPECT_EQ(Extended("usp", 0, ObjectType::kProcedures), "[od]]d].[usp]");
}

TEST_F(ExtendedNameTest, BracketedNamesAreNotBracketedTwiceAndAreLookedUpBare) {
  Respond(OwnerQuery("Orders", "U"), OwnerRow("sales"));
  EXPECT_EQ(Extended("[Orders]"), "[sales].[Orders]");
  Respond(OwnerQuery("O''Brien", "U"), OwnerRow("dbo"));
  EXPECT_EQ(Extended("O'Brien"), "[O'Brien]");
}

TEST_F(ExtendedNameTest, TypedQualifiedNamesKeepTheirQualifierWithoutQueries) {
  MakeVersion9(server());
  EXPECT_EQ(Extended("sales.Orders"), "[sales].[Orders]");
  EXPECT_EQ(Extended("dbo.Orders"), "[Orders]");
  EXPECT_EQ(Extended("[hr].[a]]b]"), "[hr].[a]]b]");  // already bracketed
  EXPECT_TRUE(Queries().empty());
}

TEST_F(ExtendedNameTest, ListedNamesAreCatalogueNamesAndAlwaysQuotedWhole) {
  // Names of list rows (they carry an id) are the catalogue's: a leading "[" is part of the
  // name, and the schema the list put in front of a duplicate is quoted as well. A qualifier
  // counts only when it is the schema of the id; any other dot is part of the name.
  MakeVersion9(server());
  struct Case {
    std::string name;
    std::int32_t id;
    std::string schema;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"sales.Orders", 9, "sales", "[sales].[Orders]"},
      {"s]x.[T]", 10, "s]x", "[s]]x].[[T]]]"},
      {"dbo.a]b", 11, "dbo", "[a]]b]"},
      {"[T]", 7, "hr", "[hr].[[T]]]"},
      {"x.y", 12, "dbo", "[x.y]"},
      {"sales.Orders", 13, "hr", "[hr].[sales.Orders]"},
  };
  // An object in dbo is then asked for its owner, as any other.
  Respond(OwnerQuery("x.y", "U"), OwnerRow("dbo"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Respond(NewerQuery(c.id), OneColumn("", {c.schema}));
    EXPECT_EQ(Extended(c.name, c.id), c.expected);
  }
}

TEST_F(ExtendedNameTest, ListedNameWithADotIsWholeOnVersion8) {
  // Older servers never qualify list rows: the dot belongs to the name.
  Respond(OwnerQuery("x.y", "U"), OwnerRow("dbo"));
  EXPECT_EQ(Extended("x.y", 5), "[x.y]");
  Respond(OwnerQuery("p.q", "P"), OwnerRow("hr"));
  EXPECT_EQ(Extended("p.q", 6, ObjectType::kProcedures), "[hr].[p.q]");
}

TEST_F(ExtendedNameTest, Version9UsesTheSchemaById) {
  MakeVersion9(server());
  Respond(NewerQuery(9), OneColumn("", {"sales"}));
  EXPECT_EQ(Extended("Orders", 9), "[sales].[Orders]");
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(ExtendedNameTest, Version9WithoutIdUsesTheSchemaByName) {
  MakeVersion9(server());
  Respond(TableSchemaQuery("Orders"), OneColumn("TABLE_SCHEMA", {"sales"}));
  EXPECT_EQ(Extended("Orders", 0), "[sales].[Orders]");
}

TEST_F(ExtendedNameTest, Version9DboSchemaFallsBackToTheOwner) {
  MakeVersion9(server());
  Respond(NewerQuery(7), OneColumn("", {"dbo"}));
  Respond(OwnerQuery("Orders", "U"), OwnerRow("dbo"));
  EXPECT_EQ(Extended("Orders", 7), "[Orders]");
  EXPECT_EQ(Queries(), (std::vector<std::string>{NewerQuery(7), OwnerQuery("Orders", "U")}));
}

TEST_F(ExtendedNameTest, Version9FailedSchemaLookupGivesTheBracketedName) {
  MakeVersion9(server());
  Respond(NewerQuery(7), MissingView());
  Respond(OlderQuery(7), Failure(4060, "42000", "no"));
  EXPECT_EQ(Extended("Orders", 7), "[Orders]");
  EXPECT_EQ(Queries().size(), 2u);
}

// --- retry after a missing table
// ------------------------------------------------------------------

using MissingTableTest = CatalogTest;

TEST_F(MissingTableTest, OtherErrorsAndOlderServersAreNotRetried) {
  MakeVersion9(server());
  MissingTableRetry retry =
      QualifyTableAfterMissingTableError(context_, server(), "Orders", "Sales", kCommandError);
  EXPECT_FALSE(retry.retry);
  EXPECT_EQ(retry.name, "Orders");
  server().Version = "8.00.2039";
  retry =
      QualifyTableAfterMissingTableError(context_, server(), "Orders", "Sales", kMissingTableError);
  EXPECT_FALSE(retry.retry);
  EXPECT_FALSE(server().SchemaCheckPerformed);
  EXPECT_TRUE(Queries().empty());
}

TEST_F(MissingTableTest, FoundSchemaGivesTheQualifiedNameAndKeepsLooking) {
  MakeVersion9(server());
  Respond(TableSchemaQuery("Orders"), OneColumn("TABLE_SCHEMA", {"sales"}));
  Respond(TableSchemaQuery("Lines"), OneColumn("TABLE_SCHEMA", {"hr"}));
  MissingTableRetry retry =
      QualifyTableAfterMissingTableError(context_, server(), "Orders", "Sales", kMissingTableError);
  EXPECT_TRUE(retry.retry);
  EXPECT_EQ(retry.name, "[sales].[Orders]");
  EXPECT_TRUE(server().SchemaCheckPerformed);
  EXPECT_TRUE(server().AddSchema);
  retry =
      QualifyTableAfterMissingTableError(context_, server(), "Lines", "Sales", kMissingTableError);
  EXPECT_EQ(retry.name, "[hr].[Lines]");
}

TEST_F(MissingTableTest, NoSchemaFoundStopsFurtherChecksOnThisSide) {
  MakeVersion9(server());
  Respond(TableSchemaQuery("Orders"), OneColumn("TABLE_SCHEMA", {}));
  MissingTableRetry retry =
      QualifyTableAfterMissingTableError(context_, server(), "Orders", "Sales", kMissingTableError);
  EXPECT_FALSE(retry.retry);
  EXPECT_TRUE(server().SchemaCheckPerformed);
  EXPECT_FALSE(server().AddSchema);
  retry =
      QualifyTableAfterMissingTableError(context_, server(), "Other", "Sales", kMissingTableError);
  EXPECT_FALSE(retry.retry);
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(MissingTableTest, NamesWithQuotesAndBracketsStaySafe) {
  MakeVersion9(server());
  Respond(TableSchemaQuery("O''Brien]"), OneColumn("TABLE_SCHEMA", {"s]x"}));
  const MissingTableRetry retry = QualifyTableAfterMissingTableError(context_, server(), "O'Brien]",
                                                                     "Sales", kMissingTableError);
  EXPECT_TRUE(retry.retry);
  EXPECT_EQ(retry.name, "[s]]x].[O'Brien]]]");
}

TEST_F(MissingTableTest, CatalogueNameInBracketsIsQuotedWhole) {
  // A table really named "[T]" (as the catalogue stores it) must not be taken as T.
  MakeVersion9(server());
  Respond(TableSchemaQuery("[T]"), OneColumn("TABLE_SCHEMA", {"sales"}));
  const MissingTableRetry retry =
      QualifyTableAfterMissingTableError(context_, server(), "[T]", "Sales", kMissingTableError);
  EXPECT_TRUE(retry.retry);
  EXPECT_EQ(retry.name, "[sales].[[T]]]");
}

}  // namespace
}  // namespace korvane
