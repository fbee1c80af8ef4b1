#include "compare/compare_selected_objects.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/memory_text_view.h"
#include "compare/line_state.h"
#include "faulty_text_view.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::FaultyTextView;
using testing::RecordingUserInterface;

const RgbColor kWhite = GetStateColor(LineState::kNotChanged);
const RgbColor kGreen = GetStateColor(LineState::kChanged);
const RgbColor kBlue = GetStateColor(LineState::kOnlyInTarget);

SelectionContext Context(std::int32_t type_code, std::string type_word) {
  SelectionContext context;
  context.type_code = type_code;
  context.type_word = std::move(type_word);
  context.sides[0] = {"SRV1", "Sales", "Orders", 101};
  context.sides[1] = {"SRV2", "SalesCopy", "Orders", 202};
  return context;
}

const SelectionContext kProcedures = Context(10, "procedures");
const SelectionContext kTables = Context(50, "tables");

constexpr std::string_view kKeys =
    "Source: SRV1.Sales.Orders\r\n"
    "Target: SRV2.SalesCopy.Orders\r\n"
    "\r\n";

LoadedSettings Settings(bool ignore_whitespace, bool ignore_col_seq, bool case_sensitive = false) {
  LoadedSettings settings;
  settings.ignore_whitespace = ignore_whitespace;
  settings.ignore_col_seq = ignore_col_seq;
  settings.case_sensitive = case_sensitive;
  return settings;
}

bool Unpainted(const MemoryTextView& view) {
  for (int position = 0; position < view.Length(); ++position) {
    if (view.BackgroundAt(position).has_value())
      return false;
  }
  return true;
}

// The colour of the first character of each line.
std::vector<std::optional<RgbColor>> LineColours(const MemoryTextView& view) {
  std::vector<std::optional<RgbColor>> colours;
  for (int line = 1; line <= view.LineCount(); ++line)
    colours.push_back(view.BackgroundAt(view.LineStart(line)));
  return colours;
}

struct Views {
  MemoryTextView source;
  MemoryTextView target;
};

std::optional<SelectedObjectsComparison> Compare(Views& views, const SelectionContext& context,
                                                 const LoadedSettings& settings,
                                                 RecordingUserInterface& ui,
                                                 IgnoredColumnsTableText* ignored = nullptr) {
  return CompareSelProcs(false, "", "", context, views.source, views.target, settings, ui, ignored);
}

TEST(SelectionKeyTest, ServerDatabaseAndObjectJoinedByDots) {
  EXPECT_EQ(SelectionKey({"SRV1", "Sales", "dbo.Orders", 7}), "SRV1.Sales.dbo.Orders");
}

TEST(CompareSelProcsTest, TwoEmptyViewsAreRefused) {
  Views views{MemoryTextView("  "), MemoryTextView("")};
  RecordingUserInterface ui;
  EXPECT_FALSE(Compare(views, kProcedures, Settings(true, true), ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Cannot compare - the list of objects is empty.");
  EXPECT_EQ(ui.messages[0].title, "Cannot Compare");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kInformation);
  EXPECT_TRUE(Unpainted(views.source));
  EXPECT_TRUE(Unpainted(views.target));
}

TEST(CompareSelProcsTest, IdenticalVerdictWithKeysAndColumnsOrderNote) {
  Views views{MemoryTextView("create proc p as\r\n  select  1"),
              MemoryTextView("CREATE PROC p AS\r\nselect 1  ")};
  RecordingUserInterface ui;
  const auto result = Compare(views, kProcedures, Settings(true, true), ui);
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->identical);
  EXPECT_EQ(result->report_text, std::string(kKeys) +
                                     "The selected procedures are identical.\r\n\r\n"
                                     "Please note that option 'Ignore Columns Order' is set ON.");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(Unpainted(views.source));
  EXPECT_TRUE(Unpainted(views.target));
  EXPECT_EQ(ui.busy_changes, std::vector<bool>{false});

  // Without the column-order option there is no note.
  const auto plain = Compare(views, kProcedures, Settings(true, false), ui);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->report_text, std::string(kKeys) + "The selected procedures are identical.");
}

TEST(CompareSelProcsTest, ReportWindowDescribesAnIndividualComparison) {
  Views views{MemoryTextView("x"), MemoryTextView("x")};
  RecordingUserInterface ui;
  const auto result = Compare(views, kTables, Settings(true, true), ui);
  ASSERT_TRUE(result);
  const ReportWindowState& window = result->window;
  EXPECT_EQ(window.title, "Comparison Report");
  EXPECT_EQ(window.source_server, "SRV1");
  EXPECT_EQ(window.target_server, "SRV2");
  EXPECT_EQ(window.source_database, "Sales");
  EXPECT_EQ(window.target_database, "SalesCopy");
  EXPECT_EQ(window.table_1, "Orders");
  EXPECT_EQ(window.table_2, "Orders");
  EXPECT_EQ(window.comparison_type, 1);
  EXPECT_EQ(window.sub_type, 35);
  EXPECT_EQ(window.sub_sub_type, 0);
  EXPECT_EQ(window.object_types, "1,0,0,0,0,0,0");
  EXPECT_EQ(window.comparison_method, -1);
  EXPECT_EQ(window.object_id_1, 101);
  EXPECT_EQ(window.object_id_2, 202);
  EXPECT_FALSE(window.running_saved_process);
  EXPECT_FALSE(window.just_saved);

  struct Case {
    std::int32_t code;
    std::string flags;
  };
  for (const Case& c : std::vector<Case>{{10, "0,1,0,0,0,0,0"},
                                         {20, "0,0,1,0,0,0,0"},
                                         {30, "0,0,0,1,0,0,0"},
                                         {40, "0,0,0,0,1,0,0"},
                                         {60, "0,0,0,0,0,1,0"},
                                         {80, "0,0,0,0,0,0,1"},
                                         {70, ""}}) {
    const auto typed = Compare(views, Context(c.code, "objects"), Settings(true, true), ui);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->window.object_types, c.flags) << c.code;
  }
}

TEST(CompareSelProcsTest, OneEmptyViewIsDifferentAndTheOtherIsPaintedInserted) {
  Views views{MemoryTextView(""), MemoryTextView("a\r\nb\r\nc")};
  RecordingUserInterface ui;
  const auto result = Compare(views, kProcedures, Settings(true, true), ui);
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->identical);
  EXPECT_EQ(result->report_text, std::string(kKeys) + "The selected procedures are different.");
  using Colours = std::vector<std::optional<RgbColor>>;
  EXPECT_EQ(LineColours(views.target), (Colours{kBlue, kBlue, kBlue}));
  EXPECT_TRUE(Unpainted(views.source));
}

TEST(CompareSelProcsTest, SwappedColumnLinesDependOnTheColumnsOrderOption) {
  const std::string source = "[a] int\r\n[b] int";
  const std::string target = "[b] int\r\n[a] int";
  {
    Views views{MemoryTextView(source), MemoryTextView(target)};
    RecordingUserInterface ui;
    const auto result = Compare(views, kTables, Settings(true, true), ui);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->identical);
    EXPECT_EQ(result->report_text, std::string(kKeys) +
                                       "The selected tables are identical.\r\n\r\n"
                                       "Please note that option 'Ignore Columns Order' is set ON.");
    EXPECT_TRUE(Unpainted(views.source));
    EXPECT_TRUE(Unpainted(views.target));
  }
  {
    Views views{MemoryTextView(source), MemoryTextView(target)};
    RecordingUserInterface ui;
    const auto result = Compare(views, kTables, Settings(true, false), ui);
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->identical);
    EXPECT_EQ(result->report_text, std::string(kKeys) + "The selected tables are different.");
    EXPECT_FALSE(Unpainted(views.source));
    EXPECT_FALSE(Unpainted(views.target));
  }
}

TEST(CompareSelProcsTest, VerdictFollowsTheWhitespaceAndCaseOptions) {
  struct Case {
    std::string name;
    std::string source;
    std::string target;
    LoadedSettings settings;
    bool identical;
  };
  const std::vector<Case> cases = {
      {"white space ignored", "select  a\r\nfrom t", "select a from t", Settings(true, false),
       true},
      {"white space counts", "select  a", "select a", Settings(false, false), false},
      {"case ignored", "SELECT a", "select a", Settings(true, false), true},
      {"case counts", "SELECT a", "select a", Settings(true, false, true), false},
      // Without the white-space option the texts must be equal exactly, letter case included.
      {"exact", "SELECT a", "select a", Settings(false, false), false},
      // Comments are not stripped here.
      {"comments", "select a -- one", "select a -- two", Settings(true, false), false},
  };
  for (const Case& c : cases) {
    Views views{MemoryTextView(c.source), MemoryTextView(c.target)};
    RecordingUserInterface ui;
    const auto result = Compare(views, kProcedures, c.settings, ui);
    ASSERT_TRUE(result) << c.name;
    EXPECT_EQ(result->identical, c.identical) << c.name;
  }
}

TEST(CompareSelProcsTest, ChangedLinePaintedGreenRestWhite) {
  Views views{MemoryTextView("a\r\nb\r\nc"), MemoryTextView("a\r\nx\r\nc")};
  RecordingUserInterface ui;
  ASSERT_TRUE(Compare(views, kProcedures, Settings(true, true), ui));
  using Colours = std::vector<std::optional<RgbColor>>;
  EXPECT_EQ(LineColours(views.source), (Colours{kWhite, kGreen, kWhite}));
  EXPECT_EQ(LineColours(views.target), (Colours{kWhite, kGreen, kWhite}));
}

// Rebuilds the Target table without the column its list names.
class FakeIgnoredColumns : public IgnoredColumnsTableText {
 public:
  std::optional<std::string> TextWithoutIgnoredColumns(int side, const SelectedObject& object,
                                                       std::string_view key) override {
    calls.push_back(std::to_string(side) + " " + object.object_name + " " + std::string(key));
    return side == 1 ? target_text : std::nullopt;
  }
  std::optional<std::string> target_text;
  std::vector<std::string> calls;
};

TEST(CompareSelProcsTest, IgnoredColumnsAreLeftOutOfTheVerdictOnly) {
  const std::string source = "[a] int\r\n[b] int";
  const std::string target = "[a] int\r\n[b] int\r\n[stamp] datetime";
  Views views{MemoryTextView(source), MemoryTextView(target)};
  FakeIgnoredColumns ignored;
  ignored.target_text = source;
  RecordingUserInterface ui;
  const auto result = Compare(views, kTables, Settings(true, true), ui, &ignored);
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->identical);
  EXPECT_EQ(result->report_text,
            std::string(kKeys) +
                "The selected tables are identical.\r\n\r\n"
                "Please note that some columns were ignored during comparison.\r\n\r\n"
                "Please note that option 'Ignore Columns Order' is set ON.");
  EXPECT_EQ(ignored.calls, (std::vector<std::string>{"0 Orders SRV1.Sales.Orders",
                                                     "1 Orders SRV2.SalesCopy.Orders"}));
  EXPECT_EQ(views.target.Text(), target);  // the view still shows the column
  EXPECT_TRUE(Unpainted(views.target));

  // Without the column-order option only the ignored-columns note remains.
  const auto no_order = Compare(views, kTables, Settings(true, false), ui, &ignored);
  ASSERT_TRUE(no_order);
  EXPECT_EQ(no_order->report_text,
            std::string(kKeys) +
                "The selected tables are identical.\r\n\r\n"
                "Please note that some columns were ignored during comparison.");
}

// Regression: the column-order test once read the views, which still show the ignored
// columns, so reordered tables with an ignored column were called different.
TEST(CompareSelProcsTest, ColumnsOrderTestSeesTheRebuiltTexts) {
  Views views{MemoryTextView("[a] int\r\n[b] int"),
              MemoryTextView("[b] int\r\n[a] int\r\n[stamp] datetime")};
  FakeIgnoredColumns ignored;
  ignored.target_text = "[b] int\r\n[a] int";
  RecordingUserInterface ui;
  const auto result = Compare(views, kTables, Settings(true, true), ui, &ignored);
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->identical);
  EXPECT_TRUE(Unpainted(views.source));
  EXPECT_TRUE(Unpainted(views.target));
}

TEST(CompareSelProcsTest, IgnoredColumnsNoteOnlyForIdenticalTables) {
  Views views{MemoryTextView("[a] int"), MemoryTextView("[a] bigint\r\n[x] int")};
  FakeIgnoredColumns ignored;
  ignored.target_text = "[a] bigint";
  RecordingUserInterface ui;
  const auto result = Compare(views, kTables, Settings(true, true), ui, &ignored);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->report_text, std::string(kKeys) + "The selected tables are different.");
}

TEST(CompareSelProcsTest, IgnoredColumnListsAreAskedForTablesOnly) {
  Views views{MemoryTextView("x"), MemoryTextView("y")};
  FakeIgnoredColumns ignored;
  ignored.target_text = "x";
  RecordingUserInterface ui;
  const auto result = Compare(views, kProcedures, Settings(true, false), ui, &ignored);
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->identical);
  EXPECT_TRUE(ignored.calls.empty());
}

TEST(CompareSelProcsTest, GivenTextsDecideButTheWholeViewsArePainted) {
  Views views{MemoryTextView("same\r\nsource only"), MemoryTextView("same\r\ntarget only")};
  RecordingUserInterface ui;
  const auto equal = CompareSelProcs(true, "same", "same", kProcedures, views.source, views.target,
                                     Settings(true, false), ui);
  ASSERT_TRUE(equal);
  EXPECT_TRUE(equal->identical);
  EXPECT_TRUE(Unpainted(views.source));

  const auto differ = CompareSelProcs(true, "same", "other", kProcedures, views.source,
                                      views.target, Settings(true, false), ui);
  ASSERT_TRUE(differ);
  EXPECT_FALSE(differ->identical);
  using Colours = std::vector<std::optional<RgbColor>>;
  EXPECT_EQ(LineColours(views.source), (Colours{kWhite, kGreen}));
}

TEST(CompareSelProcsTest, FailureGoesToTheErrorReport) {
  FaultyTextView source("a");
  MemoryTextView target("b");
  source.text_failure = FaultyTextView::Failure::kRuntimeError;
  RecordingUserInterface ui;
  EXPECT_FALSE(
      CompareSelProcs(false, "", "", kProcedures, source, target, Settings(true, true), ui));
  ASSERT_EQ(ui.error_reports.size(), 1u);
  EXPECT_EQ(ui.error_reports[0].module_name, "frmMain");
  EXPECT_EQ(ui.error_reports[0].procedure_name, "CompareSelProcs");
  EXPECT_EQ(ui.error_reports[0].error_description, "the view is gone");
}

constexpr std::string_view kHint =
    "Please select some section in Source text first, then some section in Target, and then "
    "(immediately after highlighting Target) right click and select 'Compare Highlighted "
    "Sections'.";

TEST(CompareHighlightedSectionsTest, RefusesWithoutStructureOrHighlight) {
  const std::string missing = "Cannot continue - there is no highlighted section in ";
  const struct {
    std::string source;
    std::string target;
    bool source_highlighted;
    bool target_highlighted;
    std::string message;
    int source_focus;  // focus requests, on the side without a highlight
    int target_focus;
  } cases[] = {
      {"a", "   ", false, false,
       "Cannot continue - there is no structure displayed for selected object.", 0, 0},
      {"abc", "abd", false, true, missing + "Source object.\r\n\r\n" + std::string(kHint), 1, 0},
      {"abc", "abd", true, false, missing + "Target object.\r\n\r\n" + std::string(kHint), 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Views views{MemoryTextView(c.source), MemoryTextView(c.target)};
    if (c.source_highlighted)
      views.source.SetSelection(0, 2);
    if (c.target_highlighted)
      views.target.SetSelection(0, 2);
    RecordingUserInterface ui;
    EXPECT_FALSE(CompareHighlightedSections(kProcedures, views.source, views.target,
                                            Settings(true, true), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, c.message);
    EXPECT_EQ(ui.messages[0].title, "Compare Highlighted Sections");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::kInformation);
    EXPECT_EQ(views.source.focus_requests(), c.source_focus);
    EXPECT_EQ(views.target.focus_requests(), c.target_focus);
  }
}

TEST(CompareHighlightedSectionsTest, ComparesTheHighlightedParts) {
  Views views{MemoryTextView("select a\r\nfrom s"), MemoryTextView("select a\r\nfrom t")};
  views.source.SetSelection(0, 8);
  views.target.SetSelection(0, 8);
  RecordingUserInterface ui;
  const auto same = CompareHighlightedSections(kProcedures, views.source, views.target,
                                               Settings(true, false), ui);
  ASSERT_TRUE(same);
  EXPECT_TRUE(same->identical);
  EXPECT_EQ(same->report_text, std::string(kKeys) + "The selected procedures are identical.");
  EXPECT_TRUE(Unpainted(views.source));

  views.target.SetSelection(4, 8);  // "ct a\r\nfro"
  const auto differ = CompareHighlightedSections(kProcedures, views.source, views.target,
                                                 Settings(true, false), ui);
  ASSERT_TRUE(differ);
  EXPECT_FALSE(differ->identical);
  using Colours = std::vector<std::optional<RgbColor>>;
  EXPECT_EQ(LineColours(views.target), (Colours{kWhite, kGreen}));
  EXPECT_FALSE(ui.busy_changes.empty());
  EXPECT_FALSE(ui.busy_changes.back());
}

// Regression: the column-order test once read the whole views, so differing highlighted parts of
// two equal objects were called identical, and reordered highlighted lines were called
// different because of the rest of the views.
TEST(CompareHighlightedSectionsTest, ColumnsOrderTestSeesOnlyTheHighlightedParts) {
  const struct {
    std::string source;
    std::string target;
    int source_start, target_start, length;
    std::string verdict;
  } cases[] = {
      // "a" against "b" of two equal objects.
      {"a\r\nb", "a\r\nb", 0, 2, 1, "The selected procedures are different."},
      // "x\r\ny" against "y\r\nx", the rest of the views apart.
      {"x\r\ny\r\nZZZ", "y\r\nx\r\nQQQ", 0, 0, 3,
       "The selected procedures are identical.\r\n\r\n"
       "Please note that option 'Ignore Columns Order' is set ON."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + " / " + c.target);
    Views views{MemoryTextView(c.source), MemoryTextView(c.target)};
    views.source.SetSelection(c.source_start, c.length);
    views.target.SetSelection(c.target_start, c.length);
    RecordingUserInterface ui;
    const auto result = CompareHighlightedSections(kProcedures, views.source, views.target,
                                                   Settings(true, true), ui);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->identical, c.verdict.find("identical") != std::string::npos);
    EXPECT_EQ(result->report_text, std::string(kKeys) + c.verdict);
  }
}

}  // namespace
}  // namespace korvane
