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
using testing::OwnerByIdQuery;
using testing::OwnerQuery;
using testing::OwnerRow;
using testing::Rows;
using testing::SchemaByIdQuery;
using testing::TableSchemaQuery;

// --- Db_GetObjSchemaById
// --------------------------------------------------------------------------

using SchemaByIdTest = CatalogTest;

TEST_F(SchemaByIdTest, IdBelowOneIsEmptyWithoutAQuery) {
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 0), "");
  EXPECT_TRUE(Queries().empty());
}

TEST_F(SchemaByIdTest, EachVersionAsksItsOwnCatalogue) {
  const struct {
    bool version9;
    std::string query;
    std::vector<std::string> rows;
    std::string expected;
  } cases[] = {
      {false, OwnerByIdQuery(7), {"dbo"}, "dbo"},
      {false, OwnerByIdQuery(7), {}, ""},  // no row: empty success
      {true, SchemaByIdQuery(7), {"sales"}, "sales"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    if (c.version9)
      MakeVersion9(server());
    Respond(c.query, OneColumn("", c.rows));
    EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 7), c.expected);
    EXPECT_EQ(Queries().back(), c.query);
    EXPECT_EQ(QueriesWithDatabase().back().first, "Sales");
    EXPECT_EQ(server().NumVersion, c.version9 ? 9 : 8);
  }
}

TEST_F(SchemaByIdTest, RejectedNewerCatalogueFallsBackSilentlyAndStaysOnTheOlderOne) {
  MakeVersion9(server());
  Respond(SchemaByIdQuery(7), MissingView());
  Respond(OwnerByIdQuery(7), OneColumn("", {"sales"}));
  Respond(OwnerByIdQuery(8), OneColumn("", {"dbo"}));
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 7), "sales");
  EXPECT_EQ(server().NumVersion, 8);
  EXPECT_EQ(server().Version, "9.00.5000.00");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
  EXPECT_EQ(Db_GetObjSchemaById(context_, server(), "Sales", 8), "dbo");
  EXPECT_EQ(Queries(),
            (std::vector<std::string>{SchemaByIdQuery(7), OwnerByIdQuery(7), OwnerByIdQuery(8)}));
}

TEST_F(SchemaByIdTest, BothQueriesFailingReportsFailure) {
  MakeVersion9(server());
  Respond(SchemaByIdQuery(7), MissingView());
  Respond(OwnerByIdQuery(7), Failure(4060, "42000", "Cannot open database."));
  EXPECT_FALSE(Db_GetObjSchemaById(context_, server(), "Sales", 7).has_value());
  ASSERT_EQ(ui_.messages.size(), 1u);  // only the older query's failure is shown
  EXPECT_NE(ui_.messages[0].text.find(OwnerByIdQuery(7)), std::string::npos);
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
  Respond(SchemaByIdQuery(1), OneColumn("", {"a"}));
  Respond(SchemaByIdQuery(2), OneColumn("", {}));
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

TEST_F(ExtendedNameTest, Version8QualifiesByTheOwnerOfTheBareName) {
  const struct {
    std::string name;
    std::int32_t id;
    ObjectType type;
    std::string owner_query;
    std::string owner;
    std::string expected;
  } cases[] = {
      {"Orders", 0, ObjectType::kTables, OwnerQuery("Orders", "U"), "dbo", "[Orders]"},
      {"Missing", 0, ObjectType::kTables, OwnerQuery("Missing", "U"), "", "[Missing]"},
      {"Orders", 0, ObjectType::kTables, OwnerQuery("Orders", "U"), "sales", "[sales].[Orders]"},
      {"usp", 0, ObjectType::kProcedures, OwnerQuery("usp", "P"), "od]d", "[od]]d].[usp]"},
      // Bracketed names are not bracketed twice and are looked up bare.
      {"[Orders]", 0, ObjectType::kTables, OwnerQuery("Orders", "U"), "sales", "[sales].[Orders]"},
      {"O'Brien", 0, ObjectType::kTables, OwnerQuery("O''Brien", "U"), "dbo", "[O'Brien]"},
      // Older servers never qualify list rows: the dot belongs to the name.
      {"x.y", 5, ObjectType::kTables, OwnerQuery("x.y", "U"), "dbo", "[x.y]"},
      {"p.q", 6, ObjectType::kProcedures, OwnerQuery("p.q", "P"), "hr", "[hr].[p.q]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " owned by " + c.owner);
    Respond(c.owner_query, OwnerRow(c.owner));
    EXPECT_EQ(Extended(c.name, c.id, c.type), c.expected);
    EXPECT_EQ(Queries().back(), c.owner_query);
  }
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
    Respond(SchemaByIdQuery(c.id), OneColumn("", {c.schema}));
    EXPECT_EQ(Extended(c.name, c.id), c.expected);
  }
}

TEST_F(ExtendedNameTest, Version9UsesTheSchemaById) {
  MakeVersion9(server());
  Respond(SchemaByIdQuery(9), OneColumn("", {"sales"}));
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
  Respond(SchemaByIdQuery(7), OneColumn("", {"dbo"}));
  Respond(OwnerQuery("Orders", "U"), OwnerRow("dbo"));
  EXPECT_EQ(Extended("Orders", 7), "[Orders]");
  EXPECT_EQ(Queries(), (std::vector<std::string>{SchemaByIdQuery(7), OwnerQuery("Orders", "U")}));
}

TEST_F(ExtendedNameTest, Version9FailedSchemaLookupGivesTheBracketedName) {
  MakeVersion9(server());
  Respond(SchemaByIdQuery(7), MissingView());
  Respond(OwnerByIdQuery(7), Failure(4060, "42000", "no"));
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

TEST_F(MissingTableTest, QualifiedNamesAreQuotedWhole) {
  // A table really named "[T]" (as the catalogue stores it) must not be taken as T.
  MakeVersion9(server());
  const struct {
    std::string name;
    std::string looked_up;
    std::string schema;
    std::string expected;
  } cases[] = {
      {"O'Brien]", "O''Brien]", "s]x", "[s]]x].[O'Brien]]]"},
      {"[T]", "[T]", "sales", "[sales].[[T]]]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Respond(TableSchemaQuery(c.looked_up), OneColumn("TABLE_SCHEMA", {c.schema}));
    const MissingTableRetry retry =
        QualifyTableAfterMissingTableError(context_, server(), c.name, "Sales", kMissingTableError);
    EXPECT_TRUE(retry.retry);
    EXPECT_EQ(retry.name, c.expected);
  }
}

}  // namespace
}  // namespace korvane
