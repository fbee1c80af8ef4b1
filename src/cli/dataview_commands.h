// korvane-cli view-data, analyze-data and ignored-columns: the data view's grid, the data
// analyzer's report and the ignored-column lists, printed as the windows show them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;

// view-data SERVER DB TABLE [--csv FILE | --html FILE]
// Prints the grid ("Row" and the column names, then every row) or writes the data view's
// export file. Exit status 0 done, 2 refused or failed (an empty table is refused with the
// window's message).
int ViewDataCommand(ApplicationContext& context, const std::vector<std::string>& args,
                    std::ostream& out);

// analyze-data SERVER DB TABLE [--records N] [--least] [--csv FILE | --html FILE]
// Prints the analyzer's report grid (or writes its export file).
int AnalyzeDataCommand(ApplicationContext& context, const std::vector<std::string>& args,
                       std::ostream& out);

// ignored-columns list data|structure|analysis
// ignored-columns show SERVER DB TABLE KIND
// ignored-columns set SERVER DB TABLE KIND [COLUMN...]
int IgnoredColumnsCommand(ApplicationContext& context, const std::vector<std::string>& args,
                          std::ostream& out);

}  // namespace korvane
