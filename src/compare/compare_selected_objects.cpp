#include "compare/compare_selected_objects.h"

#include <exception>
#include <vector>

#include "base/error_report.h"
#include "base/memory_text_view.h"
#include "base/text.h"
#include "base/text_view.h"
#include "base/user_interface.h"
#include "compare/column_order_comparison.h"
#include "compare/comp_line.h"
#include "compare/comparison_options.h"
#include "compare/difference_marker.h"
#include "compare/report_type_names.h"
#include "compare/whitespace_normaliser.h"

namespace korvane {
namespace {

constexpr std::int32_t kTablesCode = 50;

// The object-types value a saved process keeps for a comparison of one type: seven flags in the
// order tables, procedures, functions, views, triggers, relationships, constraints, the one of
// the type set ("0,1,0,0,0,0,0" for procedures); all zeros for code 0, empty for other codes.
std::string SingleTypeFlags(std::int32_t type_code) {
  const std::size_t index = ReportTypeOrderIndex(type_code);
  if (type_code != 0 && index >= kReportTypeOrder.size())
    return {};
  std::string flags;
  for (std::size_t i = 0; i < kReportTypeOrder.size(); ++i) {
    if (i > 0)
      flags += ',';
    flags += (type_code != 0 && i == index) ? '1' : '0';
  }
  return flags;
}

ReportWindowState ReportWindowFor(const SelectionContext& context) {
  const SelectedObject& source = context.sides[0];
  const SelectedObject& target = context.sides[1];
  ReportWindowState window;
  window.title = kComparisonReportTitle;
  window.source_server = source.server_name;
  window.target_server = target.server_name;
  window.source_database = source.database;
  window.target_database = target.database;
  window.table_1 = source.object_name;
  window.table_2 = target.object_name;
  window.comparison_type = kStructureComparisonType;
  window.sub_type = kIndividualSubType;
  window.sub_sub_type = 0;
  window.object_types = SingleTypeFlags(context.type_code);
  window.comparison_method = -1;
  window.object_id_1 = source.object_id;
  window.object_id_2 = target.object_id;
  return window;
}

}  // namespace

std::string SelectionKey(const SelectedObject& object) {
  return object.server_name + "." + object.database + "." + object.object_name;
}

std::optional<SelectedObjectsComparison> CompareSelProcs(
    bool use_given_texts, std::string_view source_text, std::string_view target_text,
    const SelectionContext& context, TextView& source_box, TextView& target_box,
    const LoadedSettings& settings, UserInterface& ui, IgnoredColumnsTableText* ignored_columns) {
  try {
    std::string source;
    std::string target;
    if (use_given_texts) {
      source = source_text;
      target = target_text;
    } else {
      source = Trim(source_box.Text());
      target = Trim(target_box.Text());
    }
    if (source.empty() && target.empty()) {
      ui.ShowMessage(kNothingToCompareMessage, MessageIcon::kInformation, kCannotCompareTitle);
      return std::nullopt;
    }

    const std::string source_key = SelectionKey(context.sides[0]);
    const std::string target_key = SelectionKey(context.sides[1]);

    bool columns_ignored = false;
    if (context.type_code == kTablesCode && ignored_columns != nullptr) {
      if (std::optional<std::string> rebuilt =
              ignored_columns->TextWithoutIgnoredColumns(0, context.sides[0], source_key)) {
        source = std::move(*rebuilt);
        columns_ignored = true;
      }
      if (std::optional<std::string> rebuilt =
              ignored_columns->TextWithoutIgnoredColumns(1, context.sides[1], target_key)) {
        target = std::move(*rebuilt);
        columns_ignored = true;
      }
    }

    const ComparisonOptions options = ComparisonOptionsFrom(settings);
    bool identical = settings.ignore_whitespace ? CompareIgnoringWhitespace(source, target, options)
                                                : source == target;
    if (!identical && settings.ignore_col_seq) {
      // The column-order test looks at the texts the verdict is about. Those are the views'
      // own texts unless highlighted parts or rebuilt table texts are compared; then the test
      // reads those texts, so that neither the rest of the views nor columns left out of the
      // comparison can turn the verdict.
      if (!use_given_texts && !columns_ignored) {
        identical = CompareProcs_IgnoreColumnsOrder(source_box, target_box, ui);
      } else {
        const MemoryTextView compared_source(source);
        const MemoryTextView compared_target(target);
        identical = CompareProcs_IgnoreColumnsOrder(compared_source, compared_target, ui);
      }
    }
    if (!identical) {
      std::vector<CompLine> source_lines;
      std::vector<CompLine> target_lines;
      bool error = false;
      Mark_Differences(source_box, target_box, source_lines, target_lines, error, ui);
    }

    std::string verdict =
        "The selected " + context.type_word + " are " + (identical ? "identical." : "different.");
    if (identical && columns_ignored) {
      verdict += "\r\n\r\n";
      verdict += kColumnsIgnoredVerdictNote;
    }
    if (identical && settings.ignore_col_seq) {
      verdict += "\r\n\r\n";
      verdict += kColumnsOrderVerdictNote;
    }

    ui.SetBusy(false);
    SelectedObjectsComparison result;
    result.identical = identical;
    result.report_text =
        "Source: " + source_key + "\r\nTarget: " + target_key + "\r\n\r\n" + verdict;
    result.window = ReportWindowFor(context);
    return result;
  } catch (...) {
    ReportUnexpectedFailure(ui, std::current_exception(), "frmMain", "CompareSelProcs");
    return std::nullopt;
  }
}

std::optional<SelectedObjectsComparison> CompareHighlightedSections(
    const SelectionContext& context, TextView& source_box, TextView& target_box,
    const LoadedSettings& settings, UserInterface& ui, IgnoredColumnsTableText* ignored_columns) {
  if (Trim(source_box.Text()).empty() || Trim(target_box.Text()).empty()) {
    ui.ShowMessage(kNoStructureDisplayedMessage, MessageIcon::kInformation,
                   kCompareHighlightedTitle);
    return std::nullopt;
  }
  const std::string source_selection = source_box.SelectedText();
  const std::string target_selection = target_box.SelectedText();
  if (source_selection.empty()) {
    ui.ShowMessage(
        std::string(kNoSourceHighlightMessage) + "\r\n\r\n" + std::string(kHighlightHint),
        MessageIcon::kInformation, kCompareHighlightedTitle);
    source_box.SetFocus();
    return std::nullopt;
  }
  if (target_selection.empty()) {
    ui.ShowMessage(
        std::string(kNoTargetHighlightMessage) + "\r\n\r\n" + std::string(kHighlightHint),
        MessageIcon::kInformation, kCompareHighlightedTitle);
    target_box.SetFocus();
    return std::nullopt;
  }
  std::optional<SelectedObjectsComparison> result =
      CompareSelProcs(true, source_selection, target_selection, context, source_box, target_box,
                      settings, ui, ignored_columns);
  ui.SetBusy(false);
  return result;
}

}  // namespace korvane
