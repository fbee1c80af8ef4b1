#include "db/connection_string.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

ServerRecord SqlLogin(std::string name, std::string login, std::string password) {
  ServerRecord r;
  r.Name = std::move(name);
  r.SQLAuth = true;
  r.LoginName = std::move(login);
  r.Password = std::move(password);
  return r;
}

TEST(ConnectionStringTest, OleDbFormIsBuiltExactly) {
  EXPECT_EQ(BuildConnectionString(SqlLogin("srv", "sa", "pw"), "Northwind", true),
            "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv;"
            "Initial Catalog=Northwind;Password=pw;User ID=sa");
  EXPECT_EQ(BuildConnectionString(SqlLogin("srv", "sa", ""), "db", false),
            "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv;Password=;User ID=sa");
  ServerRecord windows;
  windows.Name = "srv\\inst";
  EXPECT_EQ(BuildConnectionString(windows, "", true),
            "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv\\inst;"
            "Initial Catalog=;Integrated Security=SSPI");
}

TEST(ConnectionStringTest, OdbcValuesThatCouldBreakTheStringAreBraced) {
  EXPECT_EQ(OdbcValue("plain"), "plain");
  EXPECT_EQ(OdbcValue("a;b"), "{a;b}");
  EXPECT_EQ(OdbcValue("x}y"), "{x}}y}");
  EXPECT_EQ(OdbcValue("k=v"), "{k=v}");
  EXPECT_EQ(OdbcValue(" padded "), "{ padded }");
  EXPECT_EQ(OdbcValue(""), "");
}

TEST(ConnectionStringTest, PasswordCannotInjectKeywords) {
  const std::string text = BuildOdbcConnectionString(
      SqlLogin("db1", "sa", "x;Trusted_Connection=yes"), "Sales", true, {"FreeTDS", ""});
  EXPECT_EQ(text,
            "Driver={FreeTDS};Server=db1;Database=Sales;UID=sa;"
            "PWD={x;Trusted_Connection=yes};TDS_Version=7.4;ClientCharset=UTF-8;"
            "TextSize=2147483647;");
}

TEST(ConnectionStringTest, ServerNameFormsForEachDriver) {
  EXPECT_EQ(BuildOdbcConnectionString(SqlLogin("host,1433", "u", "p"), "", true, {"FreeTDS", ""}),
            "Driver={FreeTDS};Server=host;Port=1433;UID=u;PWD=p;TDS_Version=7.4;"
            "ClientCharset=UTF-8;TextSize=2147483647;");
  EXPECT_EQ(
      BuildOdbcConnectionString(SqlLogin("host\\SQL2005", "u", "p"), "m", true,
                                {"ODBC Driver 18 for SQL Server", "TrustServerCertificate=yes"}),
      "Driver={ODBC Driver 18 for SQL Server};Server=host\\SQL2005;Database=m;UID=u;PWD=p;"
      "Encrypt=Optional;TrustServerCertificate=yes;");
  EXPECT_EQ(
      BuildOdbcConnectionString(SqlLogin("h", "u", "p"), "", true, {"FreeTDS", "TDS_Version=7.1"}),
      "Driver={FreeTDS};Server=h;UID=u;PWD=p;ClientCharset=UTF-8;TextSize=2147483647;"
      "TDS_Version=7.1;");
  ServerRecord windows;
  windows.Name = "(local)";
  EXPECT_EQ(BuildOdbcConnectionString(windows, "db", false, {"ODBC Driver 17 for SQL Server", ""}),
            "Driver={ODBC Driver 17 for SQL Server};Server=localhost;Trusted_Connection=yes;");
}

// FreeTDS 1.3 reads a braced value up to the first "};" and keeps "}}" as it is.
TEST(ConnectionStringTest, FreeTdsValuesAreWrittenAsFreeTdsReadsThem) {
  const struct {
    std::string value;
    std::optional<std::string> written;
  } cases[] = {
      {"plain", "plain"},      {"x}y", "x}y"},  // a "}" alone needs no braces
      {"k=v", "k=v"},                           // nor does "="
      {"a;b", "{a;b}"},                         // ";" is braced, without doubling
      {"a}};b", std::nullopt},                  // "};" would end the braces early
      {"{x", "{{x}"},                           // a leading "{" is braced
      {"a;b}", "{a;b}}"},  // a "}" at the end is followed by the closing one only
      {"{a};", std::nullopt},  {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FreeTdsOdbcValue(c.value), c.written) << c.value;
}

TEST(ConnectionStringTest, BraceInLoginPasswordOrDatabaseReachesFreeTdsUnchanged) {
  const std::string text =
      BuildOdbcConnectionString(SqlLogin("h", "us}er", "p}w;x"), "d}b", true, {"FreeTDS", ""});
  EXPECT_NE(text.find("Database=d}b;UID=us}er;PWD={p}w;x};"), std::string::npos) << text;
  // Microsoft's drivers undouble "}}" as the ODBC rules say.
  const std::string microsoft = BuildOdbcConnectionString(SqlLogin("h", "u", "p}w;x"), "", true,
                                                          {"ODBC Driver 17 for SQL Server", ""});
  EXPECT_NE(microsoft.find("PWD={p}}w;x};"), std::string::npos) << microsoft;
}

TEST(ConnectionStringTest, ValueFreeTdsCannotReadIsRefusedWithTheFieldNamed) {
  const struct {
    ServerRecord record;
    std::string database;
    std::string field;
  } cases[] = {
      {SqlLogin("h", "u", "a};b"), "db", "password"},
      {SqlLogin("h", "a};b", "p"), "db", "login name"},
      {SqlLogin("h", "u", "p"), "a};b", "database name"},
  };
  for (const auto& c : cases) {
    std::string refused;
    EXPECT_EQ(BuildOdbcConnectionString(c.record, c.database, true, {"FreeTDS", ""}, &refused), "");
    EXPECT_TRUE(refused.starts_with("The " + c.field + " holds \"};\"")) << refused;
  }
}

TEST(ConnectionStringTest, DriverDefaultsGiveWayToTheExtraPairs) {
  const struct {
    std::string driver;
    std::string extra;
    std::string present;
    std::string absent;
  } cases[] = {
      {"ODBC Driver 18 for SQL Server", "", "Encrypt=Optional;", ""},
      {"ODBC Driver 18 for SQL Server", "encrypt = Strict", "encrypt = Strict;",
       "Encrypt=Optional"},
      {"ODBC Driver 18 for SQL Server", "TrustServerCertificate=yes", "Encrypt=Optional;", ""},
      {"ODBC Driver 17 for SQL Server", "", "PWD=p;", "Encrypt"},
      {"FreeTDS", "", "TextSize=2147483647;", "Encrypt"},
      {"FreeTDS", "TextSize=65536", "TextSize=65536;", "TextSize=2147483647"},
  };
  for (const auto& c : cases) {
    const std::string text =
        BuildOdbcConnectionString(SqlLogin("h", "u", "p"), "", true, {c.driver, c.extra});
    EXPECT_NE(text.find(c.present), std::string::npos) << text;
    if (!c.absent.empty()) {
      EXPECT_EQ(text.find(c.absent), std::string::npos) << text;
    }
  }
}

TEST(ConnectionStringTest, ParsesTheServerNameForms) {
  const ServerAddress a = ParseServerAddress(" box\\INST , 2000 ");
  EXPECT_EQ(a.host, "box");
  EXPECT_EQ(a.instance, "INST ");
  EXPECT_EQ(a.port, "2000");
  EXPECT_EQ(ParseServerAddress(".").host, "localhost");
}

}  // namespace
}  // namespace korvane
