#include "saved/ignored_columns.h"

#include <algorithm>

#include "base/text.h"
#include "base/unicode_case.h"
#include "base/user_interface.h"
#include "saved/ini_file.h"

namespace korvane {

namespace {

IgnoredColumnRecord SplitTableSettingsKey(std::string_view table_key) {
  IgnoredColumnRecord record;
  const std::size_t last = table_key.rfind('.');
  const std::size_t before_last = last == std::string_view::npos || last == 0
                                      ? std::string_view::npos
                                      : table_key.rfind('.', last - 1);
  if (before_last != std::string_view::npos) {
    record.server = table_key.substr(0, before_last);
    record.database = table_key.substr(before_last + 1, last - before_last - 1);
    record.table = table_key.substr(last + 1);
  } else if (last != std::string_view::npos) {
    record.server = table_key.substr(0, last);
    record.database = table_key.substr(last + 1);
  } else {
    record.server = table_key;
  }
  return record;
}

// The table's list as read through an open file object.
std::vector<std::string> ReadList(cInifile& ini, std::string_view table_key) {
  ini.SetSection(table_key);
  std::vector<std::string> columns;
  for (const std::string& key : ini.EnumerateCurrentSection()) {
    ini.SetKey(key);
    columns.push_back(ini.Value());
  }
  return columns;
}

}  // namespace

std::filesystem::path IgnoredColumnsFile(const AppLocations& locations, IgnoredColumnsKind kind) {
  switch (kind) {
    case IgnoredColumnsKind::Data:
      return locations.ignored_cols_data_ini;
    case IgnoredColumnsKind::Structure:
      return locations.ignored_cols_struct_ini;
    case IgnoredColumnsKind::DataAnalysis:
      return locations.ignored_cols_dataanalysis_ini;
  }
  return {};
}

std::vector<std::string> GetIgnoredColumns(const AppLocations& locations, IgnoredColumnsKind kind,
                                           std::string_view table_key) {
  cInifile ini;
  ini.SetPath(IgnoredColumnsFile(locations, kind));
  return ReadList(ini, table_key);
}

bool IsColumnIgnored(const std::vector<std::string>& ignored, std::string_view column) {
  return std::any_of(ignored.begin(), ignored.end(),
                     [&](const std::string& name) { return EqualsFoldingCase(name, column); });
}

bool SaveIgnoredColumns(const AppLocations& locations, IgnoredColumnsKind kind,
                        std::string_view table_key, const std::vector<std::string>& columns,
                        UserInterface& ui) {
  cInifile ini;
  ini.SetPath(IgnoredColumnsFile(locations, kind));
  ini.SetSection(table_key);
  ini.DeleteSection();
  bool all_written = ini.Success();
  if (!all_written)
    ui.ShowMessage(kDeleteSectionFailedMessage, MessageIcon::kInformation);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    ini.SetKey(std::to_string(i));
    ini.SetValue(columns[i]);
    all_written = all_written && ini.Success();
  }
  return all_written;
}

IgnoredColumnsListing LoadAllIgnoredColumns(const AppLocations& locations,
                                            IgnoredColumnsKind kind) {
  cInifile ini;
  ini.SetPath(IgnoredColumnsFile(locations, kind));
  IgnoredColumnsListing listing;
  for (const std::string& section : ini.EnumerateAllSections()) {
    const IgnoredColumnRecord table = SplitTableSettingsKey(section);
    for (std::string& column : ReadList(ini, section)) {
      IgnoredColumnRecord record = table;
      record.column = std::move(column);
      listing.text.append(record.server)
          .append(", ")
          .append(record.database)
          .append(", ")
          .append(record.table)
          .append(", ")
          .append(record.column)
          .append(kCrLf);
      listing.records.push_back(std::move(record));
    }
  }
  return listing;
}

}  // namespace korvane
