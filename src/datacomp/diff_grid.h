// The differences grid as data: what the differences window shows, built by the record
// comparison engine and read by the window and by export without any widget. One fixed header
// row ("Row" and the compared column names) and one fixed column holding each row's number;
// per row a background colour, per cell a text colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kSourceDiffColour{0, 255, 255};    // cyan: Source row of a differing pair
inline constexpr Rgb kTargetDiffColour{255, 255, 128};  // pale yellow: its Target row
inline constexpr Rgb kSourceOnlyColour{192, 255, 192};  // pale green: only in the Source
inline constexpr Rgb kTargetOnlyColour{255, 224, 192};  // pale orange: only in the Target
inline constexpr Rgb kDifferentCellColour{255, 0, 0};   // text of a cell that differs
inline constexpr Rgb kEqualCellColour{0, 0, 0};         // text of any other cell

inline constexpr std::string_view kRowColumnCaption = "Row";
inline constexpr int kRowColumnWidthTwips = 540;
inline constexpr int kDataColumnWidthTwips = 1440;

struct DiffGridRow {
  // cells[0] is the row's number (empty for a row that was never filled), then one text per
  // compared column.
  std::vector<std::string> cells;
  std::vector<Rgb> text_colours;  // one per cell
  Rgb background = kWhite;

  friend bool operator==(const DiffGridRow&, const DiffGridRow&) = default;
};

class DiffGrid {
 public:
  // LoadData: the header row ("Row", then the compared column names) and no data rows.
  void LoadData(const std::vector<std::string>& column_names);

  const std::vector<std::string>& header() const { return header_; }
  // Widths in twips: 540 for "Row", 1440 for each column.
  std::vector<int> ColumnWidthsTwips() const;
  std::size_t ColumnCount() const { return header_.size(); }

  const std::vector<DiffGridRow>& rows() const { return rows_; }
  std::size_t RowCount() const { return rows_.size(); }  // data rows, the header not counted

  // One record: its number and its field texts (cut or padded with empty texts to the grid's
  // columns), all in black on `background`.
  void AddRecordToGrid(std::int64_t number, const std::vector<std::string>& texts, Rgb background);

  // A differing pair, Source row then Target row with the same number; a cell whose text
  // differs from the other row's cell (exact comparison) is written in red in both rows.
  void AddRecordToGrid_MarkDiff(std::int64_t number, const std::vector<std::string>& source_texts,
                                const std::vector<std::string>& target_texts, Rgb source_background,
                                Rgb target_background);

  // Appends `count` empty rows on `background`; their number cell stays empty until filled.
  void AddEmptyRows(std::size_t count, Rgb background);
  // Fills an existing row's number and texts, keeping its background.
  void FillRow(std::size_t row, std::int64_t number, const std::vector<std::string>& texts);

  // Removes trailing rows whose number cell holds no number other than 0, stopping at the first
  // numbered row.
  void RemoveTrailingUnnumberedRows();

  // The statistics labels: Source records, Target records, differing records ("#,##0").
  void SetStatistics(std::int64_t source_records, std::int64_t target_records,
                     std::int64_t different_records);
  const std::array<std::string, 3>& statistics() const { return statistics_; }

  friend bool operator==(const DiffGrid&, const DiffGrid&) = default;

 private:
  std::vector<std::string> FitToColumns(const std::vector<std::string>& texts) const;

  std::vector<std::string> header_;
  std::vector<DiffGridRow> rows_;
  std::array<std::string, 3> statistics_;
};

}  // namespace korvane
