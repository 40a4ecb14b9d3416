// Export of any grid: the three operations with their closing message box
// and error handling, the choice of format (by the main window's menu item
// or by the chosen file name) and the save dialog's filters.
#pragma once

#include <QString>

#include "records/ExportResult.h"

class QWidget;

namespace orv {

class AppLog;
class GridModel;

enum class ExportFormat { Xls, Csv, Txt };

// The filters in their stored form, pairs joined by "|":
// "Excel文件|*.xls", "CSV(逗号分隔)|*.csv", "文本文件(制表符分隔)|*.txt" for
// the main window's items 0 to 2, all three for the query window.
QString menuExportFilter(int index);
QString queryExportFilter();
// The same as a Qt dialog takes them: "Excel文件 (*.xls);;CSV(逗号分隔) (*.csv)".
QString qtFilters(const QString& filter);
// The last three characters of a filter.
QString defaultExtension(const QString& filter);
// "xls" and "csv" as such, anything else tab-separated text.
ExportFormat formatForExtension(const QString& extension);
// By the last three characters of the name, compared exactly: "x.CSV" is
// tab-separated text.
ExportFormat formatForFileName(const QString& fileName);

// ExportToXLS, ExportToCSV and ExportToTXT: each writes the grid and ends
// with "数据已导出到：" and the file name, or on an error with the log line
// (the format's tag, the number, a tab, the description) and the message
// box "导出时发生错误:"... .
class Exporter {
public:
    Exporter(AppLog& log, QWidget* parent = nullptr) : log_(log), parent_(parent) {}

    bool ExportToXLS(const QString& fileName, const GridModel& grid, int rowLimit);
    bool ExportToCSV(const QString& fileName, const GridModel& grid, int rowLimit);
    bool ExportToTXT(const QString& fileName, const GridModel& grid, int rowLimit);
    bool exportAs(ExportFormat format, const QString& fileName, const GridModel& grid,
                  int rowLimit);

private:
    bool finish(const ExportResult& result, const QString& tag, const QString& fileName);

    AppLog& log_;
    QWidget* parent_;
};

// The main window's item `index` (0 to 2): its dialog, then the writer of
// the item's format whatever the chosen name ends in. False on cancel or
// failure.
bool exportFromMenu(QWidget* parent, AppLog& log, const GridModel& grid, int index);
// The query window's button: one dialog with all three filters, the format
// by the chosen name.
bool exportFromQuery(QWidget* parent, AppLog& log, const GridModel& grid);

}  // namespace orv
