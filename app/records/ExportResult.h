// What an export writer tells its caller: success, or the error's number,
// its description for the user and the system's own text for the log.
#pragma once

#include <QString>

namespace orv {

class GridModel;

struct ExportResult {
    bool ok = true;
    int number = 0;
    QString description;
    QString detail;

    static ExportResult failure(int number, const QString& description,
                                const QString& detail = QString()) {
        return ExportResult{false, number, description, detail};
    }
};

// N, the data rows an export writes: the row limit, unless it is 0 (or
// negative) or larger than the grid's Rows, then Rows.
int exportRowCount(const GridModel& grid, int rowLimit);

}  // namespace orv
