#include "records/TextExport.h"

#include <QSaveFile>

#include "base/ErrorTexts.h"
#include "base/Text.h"
#include "grid/GridModel.h"

namespace orv {

namespace {
// Text is converted and written in pieces of about this many characters:
// one conversion per piece, not per cell.
constexpr qsizetype kChunkChars = 1 << 16;

bool needsQuotes(QStringView field) {
    for (QChar c : field)
        if (c == QLatin1Char('"') || c == QLatin1Char(',') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    return false;
}

void appendQuoted(QString& out, QStringView field) {
    out += QLatin1Char('"');
    for (QChar c : field) {
        if (c == QLatin1Char('"')) out += QLatin1Char('"');
        out += c;
    }
    out += QLatin1Char('"');
}

ExportResult fileFailure(const QSaveFile& file, const QString& what) {
    return ExportResult::failure(static_cast<int>(file.error()), what + fileErrorText(file.error()),
                                 file.errorString());
}
}  // namespace

int exportRowCount(const GridModel& grid, int rowLimit) {
    return rowLimit <= 0 || rowLimit > grid.Rows() ? grid.Rows() : rowLimit;
}

QString CsvQuote(const QString& field) {
    if (!needsQuotes(field)) return field;
    QString out;
    appendQuoted(out, field);
    return out;
}

ExportResult writeGridText(const QString& path, const GridModel& grid, int rowLimit,
                           TextSeparator separator) {
    // Written beside the target and put in its place only when complete, so
    // that a failure leaves no half-written file and the old one intact.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileFailure(file, QStringLiteral("无法创建文件："));
    const int rows = exportRowCount(grid, rowLimit);
    const int cols = grid.Cols();
    const bool csv = separator == TextSeparator::Comma;
    const QChar sep = csv ? QLatin1Char(',') : QLatin1Char('\t');
    QString chunk, cell;
    chunk.reserve(kChunkChars + 4096);
    auto flush = [&] {
        const QByteArray bytes = toGbk(chunk);
        chunk.clear();
        return file.write(bytes) == bytes.size();
    };
    for (int r = 0; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            if (c > 1) chunk += sep;
            if (!csv) {
                grid.appendText(r, c, chunk);
                continue;
            }
            cell.clear();
            grid.appendText(r, c, cell);
            if (needsQuotes(cell))
                appendQuoted(chunk, cell);
            else
                chunk += cell;
        }
        chunk += QLatin1String("\r\n");
        if (chunk.size() >= kChunkChars && !flush())
            return fileFailure(file, QStringLiteral("写入文件失败："));
    }
    if (!chunk.isEmpty() && !flush()) return fileFailure(file, QStringLiteral("写入文件失败："));
    if (!file.commit()) return fileFailure(file, QStringLiteral("无法保存文件："));
    return {};
}

}  // namespace orv
