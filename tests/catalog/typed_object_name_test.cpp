// Resolving a name typed by a user or read from a file to one row of an object list.
#include "catalog/typed_object_name.h"

#include <gtest/gtest.h>

#include "catalog/catalog_fixture.h"

namespace korvane {
namespace {

using testing::OneColumn;

class TypedObjectNameTest : public testing::CatalogTest {
 protected:
  TypedObjectNameTest() {
    // The owner of every unqualified entry, asked by id on this version 8 server.
    for (const auto& [id, owner] : std::vector<std::pair<int, std::string>>{
             {1, "dbo"}, {2, "dbo"}, {3, "sales"}, {4, "dbo"}, {7, "dbo"}, {8, "dbo"}}) {
      Respond(testing::OwnerByIdQuery(id), OneColumn("owner", {owner}));
    }
  }

  // The listed name the text resolves to, or "-" when it names no entry.
  std::string Resolve(std::string_view typed) {
    const std::optional<ObjectEntry> entry =
        ResolveTypedObjectName(context_, server(), "db", entries_, typed);
    return entry ? entry->Name + "#" + std::to_string(entry->Id) : "-";
  }

  std::vector<ObjectEntry> entries_ = {
      {"Customers", "", 1, ""},       {"[t1];DROP TABLE victim;SELECT 1 AS [[x]", "", 2, ""},
      {"Invoices", "", 3, ""},        {"hr.Staff", "", 5, "hr"},
      {"ops.Staff", "", 6, "ops"},    {"it\xE2\x80\x99s", "", 7, ""},
      {"IT\xE2\x80\x99S", "", 8, ""},
  };
};

TEST_F(TypedObjectNameTest, TypedNamesResolveToOneListedObjectOrNone) {
  const std::pair<const char*, const char*> cases[] = {
      // the listed name exactly, even one that looks like SQL
      {"Customers", "Customers#1"},
      {"[t1];DROP TABLE victim;SELECT 1 AS [[x]", "[t1];DROP TABLE victim;SELECT 1 AS [[x]#2"},
      {"hr.Staff", "hr.Staff#5"},
      // the default collation ignores case; well-formed brackets hold the name
      {"customers", "Customers#1"},
      {"[Customers]", "Customers#1"},
      {"[[t1]];DROP TABLE victim;SELECT 1 AS [[x]]]", "[t1];DROP TABLE victim;SELECT 1 AS [[x]#2"},
      // qualified by the owner, bracketed or not
      {"dbo.Customers", "Customers#1"},
      {"[sales].[Invoices]", "Invoices#3"},
      {"SALES.Invoices", "Invoices#3"},
      {"[ops].[Staff]", "ops.Staff#6"},
      {"HR.staff", "hr.Staff#5"},
      // exact beats the case-blind match that would be ambiguous
      {"it\xE2\x80\x99s", "it\xE2\x80\x99s#7"},
      // nothing the catalogue does not know
      {"Staff", "-"},
      {"It\xE2\x80\x99s", "-"},
      {"dbo.Invoices", "-"},
      {"[t1]", "-"},
      {"t1", "-"},
      {"Customers;DROP TABLE victim", "-"},
      {"[Customers];--", "-"},
      {"Customers'--", "-"},
      {"Customers\r\nGO", "-"},
      {"", "-"},
  };
  for (const auto& [typed, expected] : cases) {
    SCOPED_TRACE(typed);
    EXPECT_EQ(Resolve(typed), expected);
  }
}

}  // namespace
}  // namespace korvane
