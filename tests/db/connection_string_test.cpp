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
            "PWD={x;Trusted_Connection=yes};TDS_Version=7.4;ClientCharset=UTF-8;");
}

TEST(ConnectionStringTest, ServerNameFormsForEachDriver) {
  EXPECT_EQ(BuildOdbcConnectionString(SqlLogin("host,1433", "u", "p"), "", true, {"FreeTDS", ""}),
            "Driver={FreeTDS};Server=host;Port=1433;UID=u;PWD=p;TDS_Version=7.4;"
            "ClientCharset=UTF-8;");
  EXPECT_EQ(
      BuildOdbcConnectionString(SqlLogin("host\\SQL2005", "u", "p"), "m", true,
                                {"ODBC Driver 18 for SQL Server", "TrustServerCertificate=yes"}),
      "Driver={ODBC Driver 18 for SQL Server};Server=host\\SQL2005;Database=m;UID=u;PWD=p;"
      "TrustServerCertificate=yes;");
  EXPECT_EQ(
      BuildOdbcConnectionString(SqlLogin("h", "u", "p"), "", true, {"FreeTDS", "TDS_Version=7.1"}),
      "Driver={FreeTDS};Server=h;UID=u;PWD=p;ClientCharset=UTF-8;TDS_Version=7.1;");
  ServerRecord windows;
  windows.Name = "(local)";
  EXPECT_EQ(BuildOdbcConnectionString(windows, "db", false, {"ODBC Driver 17 for SQL Server", ""}),
            "Driver={ODBC Driver 17 for SQL Server};Server=localhost;Trusted_Connection=yes;");
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
