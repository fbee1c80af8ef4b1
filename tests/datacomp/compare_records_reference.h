// A direct, slow implementation of the record comparison, step by step: a Find from the
// Target's first record per Source record (a filtered clone for several keys), and matched
// Target rows deleted from the recordset. The engine must give the same results. Under the key
// method it visits every Source record and counts every record once (changed pairs +
// Source-only + Target-only); record by record it stops at either recordset's end; the gauge
// stays within 0 to 100.
#pragma once

#include "datacomp/compare_records.h"

namespace korvane::testing {

CompareRecordsResult ReferenceCompareRecords(ApplicationContext& context,
                                             const CompareRecordsInput& input,
                                             RecordsetOpener& opener, CompareProgress& progress,
                                             DiffGrid& grid);

}  // namespace korvane::testing
