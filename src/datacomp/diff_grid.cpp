#include "datacomp/diff_grid.h"

#include "base/text.h"

namespace korvane {

void DiffGrid::LoadData(const std::vector<std::string>& column_names) {
  header_.clear();
  header_.emplace_back(kRowColumnCaption);
  header_.insert(header_.end(), column_names.begin(), column_names.end());
  rows_.clear();
}

std::vector<int> DiffGrid::ColumnWidthsTwips() const {
  std::vector<int> widths(header_.size(), kDataColumnWidthTwips);
  if (!widths.empty())
    widths[0] = kRowColumnWidthTwips;
  return widths;
}

std::vector<std::string> DiffGrid::FitToColumns(const std::vector<std::string>& texts) const {
  const std::size_t data_columns = header_.empty() ? 0 : header_.size() - 1;
  std::vector<std::string> fitted(
      texts.begin(),
      texts.begin() + static_cast<std::ptrdiff_t>(std::min(texts.size(), data_columns)));
  fitted.resize(data_columns);
  return fitted;
}

void DiffGrid::AddRecordToGrid(std::int64_t number, const std::vector<std::string>& texts,
                               Rgb background) {
  AddEmptyRows(1, background);
  FillRow(rows_.size() - 1, number, texts);
}

void DiffGrid::AddRecordToGrid_MarkDiff(std::int64_t number,
                                        const std::vector<std::string>& source_texts,
                                        const std::vector<std::string>& target_texts,
                                        Rgb source_background, Rgb target_background) {
  AddRecordToGrid(number, source_texts, source_background);
  AddRecordToGrid(number, target_texts, target_background);
  DiffGridRow& source = rows_[rows_.size() - 2];
  DiffGridRow& target = rows_[rows_.size() - 1];
  for (std::size_t k = 0; k < source.cells.size(); ++k) {
    if (source.cells[k] != target.cells[k]) {
      source.text_colours[k] = kDifferentCellColour;
      target.text_colours[k] = kDifferentCellColour;
    }
  }
}

void DiffGrid::AddEmptyRows(std::size_t count, Rgb background) {
  DiffGridRow row;
  row.cells.assign(std::max<std::size_t>(header_.size(), 1), std::string());
  row.text_colours.assign(row.cells.size(), kEqualCellColour);
  row.background = background;
  rows_.insert(rows_.end(), count, row);
}

void DiffGrid::FillRow(std::size_t row, std::int64_t number,
                       const std::vector<std::string>& texts) {
  DiffGridRow& target = rows_.at(row);
  std::vector<std::string> cells = FitToColumns(texts);
  target.cells.resize(1);
  target.cells[0] = std::to_string(number);
  target.cells.insert(target.cells.end(), std::make_move_iterator(cells.begin()),
                      std::make_move_iterator(cells.end()));
  target.text_colours.assign(target.cells.size(), kEqualCellColour);
}

void DiffGrid::RemoveTrailingUnnumberedRows() {
  while (!rows_.empty()) {
    const std::string& number = rows_.back().cells.front();
    if (IsNumeric(number) && LeadingNumber(number) != 0)
      break;
    rows_.pop_back();
  }
}

void DiffGrid::SetStatistics(std::int64_t source_records, std::int64_t target_records,
                             std::int64_t different_records) {
  statistics_ = {FormatNumber(source_records), FormatNumber(target_records),
                 FormatNumber(different_records)};
}

}  // namespace korvane
