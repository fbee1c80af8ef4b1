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

// The server's case-insensitive comparison and the program's key matching fold letter case
// alike, beyond Latin-1 too, so both agree on which texts are equal.
TEST_F(QueryTest, LetterCaseBeyondLatin1FoldsAsTheProgramsKeyMatching) {
  Load("Words", R"SQL(
CREATE TABLE Words (w nvarchar(20) NOT NULL)
GO
INSERT Words VALUES (N'Äpfel'), (N'σοφίας'), (N'ЖУК'), (N'Łukasz'), (N'ıris'), (N'Ā')
GO
)SQL");
  const auto words = [&](const std::string& where) {
    return QueryRows("Words", "SELECT w FROM Words WHERE " + where);
  };
  EXPECT_THAT(words("w = N'äPFEL'"), ElementsAre("Äpfel"));
  EXPECT_THAT(words("w = N'ΣΟΦΊΑΣ'"), ElementsAre("σοφίας"));
  EXPECT_THAT(words("w = N'жук'"), ElementsAre("ЖУК"));
  EXPECT_THAT(words("w = N'ŁUKASZ'"), ElementsAre("Łukasz"));
  EXPECT_THAT(words("w = N'ā'"), ElementsAre("Ā"));
  EXPECT_THAT(words("w LIKE N'жу%'"), ElementsAre("ЖУК"));
  EXPECT_THAT(words("w = N'IRIS'"), IsEmpty());  // the dotless ı is no i
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

TEST_F(QueryTest, ConversionsGiveTheTargetTypeAndPrintLikeItsColumns) {
  const ResultSet result =
      Query("Data",
            "SELECT CAST('2024-01-02' AS datetime) AS d, CAST(1.5 AS decimal(5,2)), "
            "CONVERT(numeric(10, 3), '2.25'), CAST(1 AS bit), CONVERT(bit, 0), "
            "CONVERT(datetime, '20240102 10:11:12.5', 112), CAST(2.5 AS int)");
  EXPECT_THAT(Rows(result),
              ElementsAre("2024-01-02 00:00:00|1.50|2.250|True|False|2024-01-02 10:11:12.500|2"));
  ASSERT_EQ(result.columns.size(), 7u);
  EXPECT_EQ(result.columns[0].name, "d");
  EXPECT_EQ(result.columns[0].type, ValueType::kDateTime);
  EXPECT_EQ(result.columns[0].type_name, "datetime");
  EXPECT_EQ(result.columns[1].type, ValueType::kDecimal);
  EXPECT_EQ(result.columns[1].type_name, "decimal");
  EXPECT_EQ(result.columns[2].type_name, "numeric");
  EXPECT_EQ(result.columns[3].type, ValueType::kBoolean);
  EXPECT_EQ(result.columns[3].type_name, "bit");
  EXPECT_EQ(result.columns[6].type_name, "int");
  // A converted datetime prints as a datetime column does.
  EXPECT_THAT(Q("SELECT CAST(Born AS datetime), Born FROM People WHERE Code = 'b'"),
              ElementsAre("1980-05-06 07:08:09.123|1980-05-06 07:08:09.123"));
}

TEST_F(QueryTest, ConversionsRoundCutAndPadAsTheServerDoes) {
  EXPECT_THAT(Q("SELECT CAST(1.555 AS decimal(5,2)), CAST(-0.001 AS decimal(5,2)), "
                "CAST(Salary AS decimal(10,1)), CAST(NULL AS int) FROM People WHERE Code = 'c'"),
              ElementsAre("1.56|0.00|10.5|Null"));
  // Character and binary targets cut silently (no "would be truncated" error) and char pads.
  EXPECT_THAT(Q("SELECT CAST('abcdef' AS varchar(3)), CAST('x' AS char(3)) + '|', "
                "CAST(N'Émile' AS nvarchar(2)), CAST(0x0A1B2C AS binary(2)), CONVERT(varchar, 42)"),
              ElementsAre("abc|x  ||Ém|0x0A1B|42"));
  // The empty binary literal is a binary of no bytes, as the server reads it.
  EXPECT_THAT(Q("SELECT 0x, 0x1, DATALENGTH(0x)"), ElementsAre("0x|0x01|0"));
  // In conditions a converted date compares as a date.
  EXPECT_THAT(Q("SELECT Code FROM People WHERE Born > CAST('19750101' AS datetime)"),
              ElementsAre("b    "));
  EXPECT_EQ(Error("SELECT CAST('2024-02-30' AS datetime)").number, 241);
  EXPECT_EQ(Error("SELECT CAST('2024-02-30' AS datetime)").text,
            "Conversion failed when converting datetime from character string.");
  EXPECT_EQ(Error("SELECT CAST(1000 AS decimal(3,0))").text,
            "Arithmetic overflow error converting int to data type numeric.");
  EXPECT_EQ(Error("SELECT CAST(100.5 AS numeric(4,2))").text,
            "Arithmetic overflow error converting numeric to data type numeric.");
  EXPECT_EQ(Error("SELECT CAST('15000.1234' AS decimal(5,4))").text,
            "Arithmetic overflow error converting varchar to data type numeric.");
  EXPECT_EQ(Error("SELECT CAST('abc' AS int)").text,
            "Conversion failed when converting the varchar value 'abc' to data type int.");
  EXPECT_EQ(Error("SELECT CAST(1 AS nosuch)").number, 243);
  EXPECT_THAT(Q("SELECT CAST('<a/>' AS xml), CAST('6f9619ff-8b86-d011-b42d-00c04fc964ff' AS "
                "uniqueidentifier)"),
              ElementsAre("<a/>|6F9619FF-8B86-D011-B42D-00C04FC964FF"));
}

// Exact numbers are held as doubles: fifteen significant digits survive, more are rounded.
TEST_F(QueryTest, ExactNumbersKeepFifteenSignificantDigits) {
  Load("Data",
       "CREATE TABLE Amounts (n int NOT NULL, d decimal(38,4) NULL, m money NULL)\n"
       "INSERT Amounts VALUES (1, 12345678901.2345, 92233720368.5477)\n"
       "INSERT Amounts VALUES (2, -99999999999.9999, -0.0001)\n"
       "INSERT Amounts VALUES (3, 1234567890123456789.1234, 922337203685477.5807)\n");
  EXPECT_THAT(Q("SELECT d, m FROM Amounts ORDER BY n"),
              ElementsAre("12345678901.2345|92233720368.5477", "-99999999999.9999|-0.0001",
                          "1234567890123456768.0000|922337203685477.6250"));
  EXPECT_THAT(Q("SELECT n FROM Amounts WHERE d = 12345678901.2345 OR m = -0.0001 ORDER BY n"),
              ElementsAre("1", "2"));
  EXPECT_THAT(Q("SELECT n FROM Amounts ORDER BY d"), ElementsAre("2", "1", "3"));
}

TEST_F(QueryTest, ConvertStylesFormatDatesAsCharacters) {
  EXPECT_THAT(Q("SELECT CONVERT(varchar(30), Born, 100), CONVERT(varchar(10), Born, 101), "
                "CONVERT(varchar(8), Born, 112), CONVERT(char(8), Born, 108), "
                "CONVERT(varchar(20), Born, 120), CONVERT(varchar(30), Born, 126), "
                "CONVERT(varchar(10), Born, 103), CONVERT(varchar(8), Born, 1), "
                "CONVERT(varchar(30), Born, 109), CONVERT(varchar(12), Born, 107) "
                "FROM People WHERE Code = 'b'"),
              ElementsAre("May  6 1980  7:08AM|05/06/1980|19800506|07:08:09|"
                          "1980-05-06 07:08:09|1980-05-06T07:08:09.123|06/05/1980|05/06/80|"
                          "May  6 1980  7:08:09:123AM|May 06, 1980"));
  EXPECT_THAT(Q("SELECT CONVERT(varchar(30), Born, 126), CONVERT(varchar(30), Born, 0), "
                "CONVERT(varchar(30), Born, 121) FROM People WHERE Code = 'c'"),
              ElementsAre("1970-01-02T00:00:00|Jan  2 1970 12:00AM|1970-01-02 00:00:00.000"));
  // Text that is not a stored datetime, and non-date styles, pass unchanged.
  EXPECT_THAT(Q("SELECT CONVERT(varchar(10), 'abc', 112), CONVERT(varchar(30), Born, 1000) "
                "FROM People WHERE Code = 'c'"),
              ElementsAre("abc|1970-01-02 00:00:00.000"));
}

// REPLICATE of an empty text with a huge count once looped for ever.
TEST_F(QueryTest, ReplicateAndSpaceStopAtEightThousandBytes) {
  EXPECT_THAT(Q("SELECT '[' + REPLICATE('', 1000000000000) + ']', LEN(REPLICATE('abc', 5000)), "
                "DATALENGTH(REPLICATE(N'é', 5000)), LEN(SPACE(9000) + 'x'), REPLICATE('ab', -1)"),
              ElementsAre("[]|8000|8000|8001|Null"));
  EXPECT_THAT(Q("SELECT REPLICATE('ab', 3)"), ElementsAre("ababab"));
}

}  // namespace
}  // namespace korvane::testing
