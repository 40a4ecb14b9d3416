#include "records/Export.h"

#include <QStringList>

#include "base/AppLog.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"
#include "records/TextExport.h"
#include "records/XlsExport.h"

namespace orv {

namespace {
const char* const kFilters[] = {"Excel文件|*.xls", "CSV(逗号分隔)|*.csv",
                                "文本文件(制表符分隔)|*.txt"};
}  // namespace

QString menuExportFilter(int index) {
    return index >= 0 && index < 3 ? QString::fromUtf8(kFilters[index]) : QString();
}

QString queryExportFilter() {
    return QStringList{menuExportFilter(0), menuExportFilter(1), menuExportFilter(2)}.join(
        QLatin1Char('|'));
}

QString qtFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return out.join(QStringLiteral(";;"));
}

QString defaultExtension(const QString& filter) {
    return filter.right(3);
}

ExportFormat formatForExtension(const QString& extension) {
    if (extension == QLatin1String("xls")) return ExportFormat::Xls;
    if (extension == QLatin1String("csv")) return ExportFormat::Csv;
    return ExportFormat::Txt;
}

ExportFormat formatForFileName(const QString& fileName) {
    return formatForExtension(fileName.right(3));
}

bool Exporter::finish(const ExportResult& result, const QString& tag, const QString& fileName) {
    if (result.ok) {
        MessageBox::show(parent_, QStringLiteral("数据已导出到：") + fileName,
                         QStringLiteral("提示"), MessageBox::Icon::Information);
        return true;
    }
    log_.Log(tag + QString::number(result.number) + QLatin1Char('\t') + result.description +
             (result.detail.isEmpty() ? QString() : QLatin1Char('\t') + result.detail) +
             QStringLiteral("（") + fileName + QStringLiteral("）"));
    MessageBox::show(parent_,
                     QStringLiteral("导出时发生错误:") + result.description +
                         QStringLiteral("\r\n错误代码:") + QString::number(result.number),
                     QStringLiteral("错误"), MessageBox::Icon::Exclamation);
    return false;
}

bool Exporter::ExportToXLS(const QString& fileName, const GridModel& grid, int rowLimit) {
    return finish(writeGridXls(fileName, grid, rowLimit), QStringLiteral("导出XLS："), fileName);
}

bool Exporter::ExportToCSV(const QString& fileName, const GridModel& grid, int rowLimit) {
    return finish(writeGridText(fileName, grid, rowLimit, TextSeparator::Comma),
                  QStringLiteral("导出CSV："), fileName);
}

bool Exporter::ExportToTXT(const QString& fileName, const GridModel& grid, int rowLimit) {
    return finish(writeGridText(fileName, grid, rowLimit, TextSeparator::Tab),
                  QStringLiteral("导出TXT："), fileName);
}

bool Exporter::exportAs(ExportFormat format, const QString& fileName, const GridModel& grid,
                        int rowLimit) {
    switch (format) {
        case ExportFormat::Xls:
            return ExportToXLS(fileName, grid, rowLimit);
        case ExportFormat::Csv:
            return ExportToCSV(fileName, grid, rowLimit);
        case ExportFormat::Txt:
            break;
    }
    return ExportToTXT(fileName, grid, rowLimit);
}

bool exportFromMenu(QWidget* parent, AppLog& log, const GridModel& grid, int index) {
    const QString filter = menuExportFilter(index);
    if (filter.isEmpty()) return false;
    const QString extension = defaultExtension(filter);
    const std::optional<QString> name =
        FileDialog::getSaveFileName(parent, qtFilters(filter), extension);
    if (!name) return false;
    return Exporter(log, parent).exportAs(formatForExtension(extension), *name, grid, 0);
}

bool exportFromQuery(QWidget* parent, AppLog& log, const GridModel& grid) {
    const std::optional<QString> name =
        FileDialog::getSaveFileName(parent, qtFilters(queryExportFilter()), QStringLiteral("xls"));
    if (!name) return false;
    return Exporter(log, parent).exportAs(formatForFileName(*name), *name, grid, 0);
}

}  // namespace orv
