// The demo databases' creation scripts (a 2005 database: they use nvarchar(max) and schemas)
// load into the engine, and every view they define can be read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

class DemoLoadTest : public EmbeddedServerTest {};

TEST_F(DemoLoadTest, BothReleasesLoadAndTheirViewsCanBeRead) {
  const std::filesystem::path demo = std::filesystem::path(KORVANE_SOURCE_DIR) / "demo";
  const auto v1 = ReadFile(demo / "Fernhollow_v1.sql");
  const auto v2 = ReadFile(demo / "Fernhollow_v2.sql");
  if (v1.empty() || v2.empty())
    GTEST_SKIP() << "no demo scripts in " << demo;
  MakeServer("9.00.5000.00");
  for (const auto& [name, script] : {std::pair{"Live", v1}, std::pair{"Next", v2}}) {
    const ScriptLoadResult result = TryLoad(name, script);
    ASSERT_TRUE(result.ok) << name << ": " << result.message;
    EXPECT_FALSE(QueryRows(name,
                           "select name, refdate, id from sysobjects where "
                           "OBJECTPROPERTY(id, N'IsUserTable') = 1 and xtype <> 'S'  "
                           "order by name")
                     .empty());
    const auto views = QueryRows(name,
                                 "SELECT SCHEMA_NAME(o.uid) + '.' + o.name FROM sysobjects o "
                                 "WHERE o.xtype = 'V'");
    EXPECT_FALSE(views.empty());
    for (const auto& view : views) {
      const CommandOutcome outcome = Run(name, "SELECT COUNT(*) FROM " + view);
      EXPECT_TRUE(outcome.ok) << view << ": "
                              << (outcome.errors.empty() ? "" : outcome.errors[0].text);
    }
  }
}

}  // namespace
}  // namespace korvane::testing
