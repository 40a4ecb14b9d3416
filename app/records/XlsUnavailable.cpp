// The workbook where libgsf, its compound-file writer, is not built (the
// Windows build, until the compound file is our own code): the export says
// so instead of writing a file.
#include "records/XlsExport.h"

namespace orv {

ExportResult writeGridXls(const QString&, const GridModel&, int) {
    return ExportResult::failure(1, QStringLiteral("无法创建文件：此版本不能导出Excel文件"));
}

}  // namespace orv
