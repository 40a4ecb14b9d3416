// The grid written as text: comma-separated (CsvQuote on every field) or
// tab-separated (fields as they are), rows 0 to N, columns 1 to Cols, GBK,
// every line ending in CR LF.
#pragma once

#include <QString>

#include "records/ExportResult.h"

namespace orv {

class GridModel;

// A field holding a double quote, a comma, a CR or an LF between double
// quotes with every double quote doubled; any other field unchanged.
QString CsvQuote(const QString& field);

enum class TextSeparator { Comma, Tab };

// Writes rows 0 to exportRowCount(grid, rowLimit) of the grid to `path`. An
// existing file is replaced once the whole text is written; on failure it
// stays as it was and nothing else is left behind.
ExportResult writeGridText(const QString& path, const GridModel& grid, int rowLimit,
                           TextSeparator separator);

}  // namespace orv
