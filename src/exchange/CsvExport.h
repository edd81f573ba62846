#pragma once

#include <QString>

namespace qm {

class TQuery;

// One CSV value: enclosed in double quotes, its own quotes doubled, when it holds the separator,
// a quote or a line break; otherwise as it is.
QString CsvField(const QString& text);

// Writes the rows of `dataSet` to `fileName`: a header line of the field names, then one line per
// row, each ending in CR LF, in UTF-8 without a byte-order mark. A dataset without rows writes no
// file and leaves an existing one alone. The file is replaced only once it is complete; a failure
// throws with a message naming the file. The dataset is left open or closed as it was found.
void ExportDataSetToCSV(TQuery& dataSet, const QString& fileName);

} // namespace qm
