// The grid as an Excel 97-2003 workbook: a BIFF8 record stream, written
// here, in an OLE2 compound file (CompoundFile.h). The header row comes first,
// every cell is a text cell (through the shared string table) in grid
// order, and the sheets are "Sheet1", "Sheet2", ...: a sheet holds 65 536
// rows, so a table with more than 65 535 data rows goes on in the next
// sheet, each sheet starting with the header row.
#pragma once

#include <QString>

class QIODevice;

#include "records/ExportResult.h"

namespace orv {

class GridModel;

inline constexpr int kXlsDataRowsPerSheet = 65535;
inline constexpr int kXlsMaxCols = 256;
inline constexpr int kXlsMaxCellChars = 32767;

// Writes rows 0 to exportRowCount(grid, rowLimit) of the grid, columns 1 to
// Cols, to `path`. An existing file is replaced once the workbook is
// complete; on failure it stays as it was and nothing else is left behind.
ExportResult writeGridXls(const QString& path, const GridModel& grid, int rowLimit);
// The same workbook written to `out`, which must be open for writing: any
// write the device refuses makes the export fail, even if later ones pass.
ExportResult writeGridXls(QIODevice& out, const GridModel& grid, int rowLimit);

}  // namespace orv
