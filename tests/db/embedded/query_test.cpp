// The query path: the T-SQL dialect pieces the program and users send, names compared as SQL
// Server's default collation compares them, row order, result typing and error messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kData = R"SQL(
CREATE TABLE People (
  Code char(5) NOT NULL,
  Name nvarchar(30) NOT NULL,
  Born datetime NULL,
  Salary money NULL,
  Ratio float NULL,
  Photo varbinary(10) NULL,
  CONSTRAINT PK_People PRIMARY KEY CLUSTERED (Code)
)
CREATE TABLE Heap (n int NULL, s varchar(10) NULL)
GO
INSERT People VALUES ('c', N'Émile', '1970-01-02', 10.5, 0.25, 0x0A1B)
INSERT People VALUES ('A', 'anna', NULL, NULL, NULL, NULL)
INSERT People VALUES ('b', 'Bob', '1980-05-06 07:08:09.123', 2000, 1e20, NULL)
INSERT Heap VALUES (3, 'x'), (1, 'Y'), (2, 'x ')
GO
CREATE VIEW Adults AS SELECT Code, Name FROM People WHERE Born IS NOT NULL
GO
CREATE UNIQUE CLUSTERED INDEX IX_Adults ON Adults (Code)
GO
)SQL";

class QueryTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Data", kData);
  }
  std::vector<std::string> Q(const std::string& sql) { return QueryRows("Data", sql); }
  ServerMessage Error(const std::string& sql) {
    CommandOutcome outcome = Run("Data", sql);
    EXPECT_FALSE(outcome.ok) << sql;
    return outcome.errors.empty() ? ServerMessage{} : outcome.errors[0];
  }
};

TEST_F(QueryTest, ClusteredTablesScanInKeyOrderHeapsInInsertionOrder) {
  EXPECT_THAT(Q("SELECT Code FROM People"), ElementsAre("A    ", "b    ", "c    "));
  EXPECT_THAT(Q("SELECT n FROM Heap"), ElementsAre("3", "1", "2"));
  EXPECT_THAT(Q("SELECT TOP 2 Code FROM People"), ElementsAre("A    ", "b    "));
  EXPECT_THAT(Q("SELECT TOP 1 n FROM Heap ORDER BY n DESC"), ElementsAre("3"));
}

TEST_F(QueryTest, NamesAndTextCompareIgnoringCaseAndTrailingBlanks) {
  EXPECT_THAT(Q("SELECT [NAME] FROM [DBO].[people] WHERE code = 'B'"), ElementsAre("Bob"));
  EXPECT_THAT(Q("SELECT n FROM Heap WHERE s = 'x' ORDER BY n"), ElementsAre("2", "3"));
  EXPECT_THAT(Q("SELECT name FROM sysobjects WHERE name = 'HEAP  '"), ElementsAre("Heap"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name LIKE 'A%'"), ElementsAre("anna"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name = N'émile'"), ElementsAre("Émile"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name LIKE N'é%'"), ElementsAre("Émile"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name LIKE '[a-b]%' ORDER BY Name"),
              ElementsAre("anna", "Bob"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name LIKE '[^a-b]%'"), ElementsAre("Émile"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name LIKE '_o_'"), ElementsAre("Bob"));
  // Trailing blanks of a char value are ignored; those of the pattern count.
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Code LIKE 'a'"), ElementsAre("anna"));
  EXPECT_THAT(Q("SELECT Name FROM People WHERE Name LIKE 'Bob '"), IsEmpty());
  EXPECT_THAT(Q("SELECT s FROM Heap WHERE s LIKE 'x!_' ESCAPE '!'"), IsEmpty());
  EXPECT_THAT(Q("SELECT n FROM Heap h RIGHT JOIN People p ON p.Code = h.s WHERE p.Code = 'a'"),
              ElementsAre("Null"));
  EXPECT_THAT(Q("SELECT DISTINCT s FROM Heap ORDER BY s").size(), 2u);
  // xtype is char(2): 'U ' equals 'U'.
  EXPECT_THAT(Q("SELECT COUNT(*) FROM sysobjects WHERE xtype = 'U'"), ElementsAre("2"));
}

TEST_F(QueryTest, DialectPiecesAreTranslated) {
  EXPECT_THAT(Q("SELECT Initial = kvn_left(Name, 1), Name AS [Full Name] FROM People "
                "WHERE Code IN (SELECT Code FROM People WHERE Salary > 100)"),
              ElementsAre("B|Bob"));
  EXPECT_THAT(Q("SELECT ISNULL(Born, 'never'), LEN(Code), 'x' + Name FROM People WHERE Code = 'a'"),
              ElementsAre("never|1|xanna"));
  EXPECT_THAT(Q("SELECT CONVERT(varchar(10), 42), LEFT(Name, 2), RIGHT(Name, 2) FROM People "
                "WHERE Code = 'b'"),
              ElementsAre("42|Bo|ob"));
  EXPECT_THAT(Q("SELECT COUNT (*) FROM People p INNER JOIN Heap h ON p.Code = h.s"),
              ElementsAre("0"));
  const ResultSet unnamed = Query("Data", "SELECT COUNT(*), MAX(n) AS [Top] FROM Heap");
  ASSERT_EQ(unnamed.columns.size(), 2u);
  EXPECT_EQ(unnamed.columns[0].name, "");
  EXPECT_EQ(unnamed.columns[1].name, "Top");
  EXPECT_THAT(Q("SELECT @@ROWCOUNT"), ElementsAre("0"));
}

TEST_F(QueryTest, DateFunctionsWorkOnStoredDates) {
  EXPECT_THAT(Q("SELECT YEAR(Born), MONTH(Born), DAY(Born), DATEPART(hour, Born), "
                "DATEPART(qq, Born), DATEADD(day, 30, Born), DATEADD(yy, -1, Born) FROM People "
                "WHERE Code = 'b'"),
              ElementsAre("1980|5|6|7|2|1980-06-05 07:08:09.123|1979-05-06 07:08:09.123"));
  EXPECT_THAT(Q("SELECT DATEDIFF(year, '1999-12-31', '2000-01-01'), DATEDIFF(month, "
                "'2024-01-31', '2024-02-01'), DATEDIFF(day, '2024-03-01 23:59', '2024-03-02 "
                "00:01'), DATEDIFF(minute, '2024-03-01 10:00:59', '2024-03-01 10:01:00')"),
              ElementsAre("1|1|1|1"));
  EXPECT_EQ(Error("SELECT DATEADD(fortnight, 1, Born) FROM People").number, 155);
}

TEST_F(QueryTest, ValuesComeBackTypedAsTheColumnsAreDeclared) {
  const ResultSet result = Query("Data", "SELECT * FROM People WHERE Code = 'c'");
  ASSERT_EQ(result.columns.size(), 6u);
  EXPECT_EQ(result.columns[0].type_name, "char");
  EXPECT_EQ(result.columns[1].type_name, "nvarchar");
  EXPECT_EQ(result.columns[2].type, ValueType::kDateTime);
  EXPECT_EQ(result.columns[3].type, ValueType::kDecimal);
  EXPECT_EQ(result.columns[4].type, ValueType::kFloat);
  EXPECT_EQ(result.columns[5].type, ValueType::kBinary);
  EXPECT_THAT(Rows(result), ElementsAre("c    |Émile|1970-01-02 00:00:00|10.5000|0.25|0x0A1B"));
  EXPECT_THAT(Q("SELECT Born, Ratio FROM People WHERE Code = 'b'"),
              ElementsAre("1980-05-06 07:08:09.123|1E+20"));
  const ResultSet counted = Query("Data", "SELECT COUNT(*) AS RecsCount FROM Heap");
  EXPECT_EQ(counted.columns[0].type, ValueType::kInteger);
}

TEST_F(QueryTest, IndexedViewsCanBeReadAndListTheirIndexes) {
  EXPECT_THAT(Q("SELECT Name FROM Adults ORDER BY Code"), ElementsAre("Bob", "Émile"));
  EXPECT_THAT(Q("SELECT si.name AS [index], sk.indid, sc.[name] AS [column] FROM sysindexkeys sk "
                "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
                "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
                "INNER JOIN sysobjects so ON so.id = sk.id "
                "WHERE so.[name] = 'Adults' ORDER BY sk.indid"),
              ElementsAre("IX_Adults|1|Code"));
  EXPECT_THAT(Q("SELECT name, colid FROM syscolumns WHERE id = object_id('Adults') ORDER BY colid"),
              ElementsAre("Code|1", "Name|2"));
}

TEST_F(QueryTest, ErrorsCarrySqlServersNumbersAndTexts) {
  ServerMessage error = Error("SELECT * FROM Missing");
  EXPECT_EQ(error.number, 208);
  EXPECT_EQ(error.text, "Invalid object name 'Missing'.");
  error = Error("SELECT * FROM dbo.[Missing Table]");
  EXPECT_EQ(error.text, "Invalid object name 'dbo.Missing Table'.");
  error = Error("SELECT Nope FROM People");
  EXPECT_EQ(error.number, 207);
  EXPECT_EQ(error.sqlstate, "42S22");
  EXPECT_EQ(error.text, "Invalid column name 'Nope'.");
  error = Error("SELECT Code FROM People WHERE (Code = 'a'");
  EXPECT_EQ(error.number, 102);
  error = Error("SELECT Code FROM FROM People");
  EXPECT_EQ(error.number, 156);
  EXPECT_EQ(error.text, "Incorrect syntax near the keyword 'FROM'.");
  error = Error("SELECT @x");
  EXPECT_EQ(error.number, 137);
  EXPECT_EQ(error.text, "Must declare the scalar variable \"@x\".");
  error = Error("SELECT Code FROM People WHERE Name = 'it''s");
  EXPECT_EQ(error.number, 105);
  error = Error("SELECT TOP 50 PERCENT Code FROM People");
  EXPECT_EQ(error.text, "The embedded server does not support TOP ... PERCENT.");
}

TEST_F(QueryTest, DefaultConstraintQueryOfTheScriptGenerator) {
  Load("Data",
       "CREATE TABLE D (a int NULL CONSTRAINT DF_D_a DEFAULT (0), b varchar(3) NULL "
       "CONSTRAINT DF_D_b DEFAULT '')");
  EXPECT_THAT(
      Q("SELECT so.name AS [constraint], sc.text AS [default], sl.name as [column] "
        "FROM sysobjects so INNER JOIN syscomments sc ON so.id = sc.id "
        "INNER JOIN syscolumns sl ON so.parent_obj = sl.id AND so.id = sl.cdefault "
        "WHERE so.parent_obj IN (SELECT id FROM sysobjects WHERE name = 'D') ORDER BY info"),
      ElementsAre("DF_D_a|((0))|a", "DF_D_b|('')|b"));
}

TEST_F(QueryTest, ExpressionsInAnEmptyResultStillHaveColumns) {
  const ResultSet result = Query("Data", "SELECT Code, Name FROM People WHERE 1 = 0");
  EXPECT_EQ(result.columns.size(), 2u);
  EXPECT_THAT(Rows(result), IsEmpty());
}

}  // namespace
}  // namespace korvane::testing
