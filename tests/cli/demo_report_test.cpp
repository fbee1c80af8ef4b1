// The demo's whole structure report: the two releases of the demo database compared as
// scripts/demo compares them, and with "AnalyzeConstraints" on. Every deliberate difference that
// demo/README.md lists is in it, and nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/application_context.h"
#include "base/text.h"
#include "cli/cli.h"
#include "cli/compare_command.h"
#include "cli/demo_cli_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;

// An expected part of the report, kept in expected/ with LF line ends; the report has CR LF.
std::string ReportText(const char* file) {
  const std::string written =
      testing::ReadFile(std::filesystem::path(KORVANE_SOURCE_DIR) / "tests/cli/expected" / file);
  EXPECT_FALSE(written.empty()) << file;
  return ReplaceAll(written, "\n", "\r\n");
}

constexpr std::string_view kElapsed = "Time Elapsed: 00:00:00";

class DemoReportTest : public testing::DemoCliTest {
 protected:
  CommandRun Compare(bool analyze_constraints) {
    return Run([&](ApplicationContext& context, std::ostream& out, std::ostream& err) {
      context.settings.analyze_constraints = analyze_constraints;
      return CompareCommand(
          context, {"embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev"}, out, err);
    });
  }
};

TEST_F(DemoReportTest, WholeReportHoldsTheDeliberateDifferencesOnly) {
  const CommandRun run = Compare(false);
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, ReportText("demo_structure_report.txt") + std::string(kElapsed));
}

TEST_F(DemoReportTest, ConstraintsAreReportedWhenAnalyzed) {
  const CommandRun run = Compare(true);
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, ReportText("demo_structure_report.txt") +
                         ReportText("demo_constraints_report.txt") + std::string(kElapsed));
}

}  // namespace
}  // namespace korvane
