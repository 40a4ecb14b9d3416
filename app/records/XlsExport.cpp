#include "records/XlsExport.h"

#include <QFileDevice>
#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <vector>

#include "grid/GridModel.h"
#include "records/CompoundFile.h"

namespace orv {

namespace {

// BIFF8 record types.
namespace rec {
constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kCodePage = 0x0042;
constexpr quint16 kWindow1 = 0x003D;
constexpr quint16 kDateMode = 0x0022;
constexpr quint16 kFont = 0x0031;
constexpr quint16 kXf = 0x00E0;
constexpr quint16 kStyle = 0x0293;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kExtSst = 0x00FF;
constexpr quint16 kIndex = 0x020B;
constexpr quint16 kDefColWidth = 0x0055;
constexpr quint16 kDimensions = 0x0200;
constexpr quint16 kRow = 0x0208;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kDbCell = 0x00D7;
constexpr quint16 kWindow2 = 0x023E;
}  // namespace rec

constexpr qsizetype kMaxRecordData = 8224;  // larger records go on in CONTINUE
constexpr quint32 kNoString = 0xFFFFFFFF;   // an empty cell: no record at all
constexpr int kRowsPerBlock = 32;           // rows indexed by one DBCELL
constexpr quint16 kTextXf = 16;             // the cell format of every cell: text ("@")
constexpr qsizetype kFlushBytes = 1 << 20;

// Sizes, header included, of the records whose size is fixed.
constexpr quint32 kBofSize = 4 + 16;
constexpr quint32 kDefColWidthSize = 4 + 2;
constexpr quint32 kDimensionsSize = 4 + 14;
constexpr quint32 kRowSize = 4 + 16;
constexpr quint32 kLabelSstSize = 4 + 10;
constexpr quint32 kWindow2Size = 4 + 18;
constexpr quint32 kEofSize = 4;

void put8(QByteArray& b, quint8 v) {
    b.append(static_cast<char>(v));
}
void put16(QByteArray& b, quint16 v) {
    const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    b.append(bytes, 2);
}
void put32(QByteArray& b, quint32 v) {
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    b.append(bytes, 4);
}
void patch32(QByteArray& b, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void header(QByteArray& b, quint16 type, quint16 length) {
    put16(b, type);
    put16(b, length);
}

bool fitsLatin1(QStringView s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x100; });
}

// Characters as BIFF8 writes them: one byte each when all fit, else UTF-16.
void putChars(QByteArray& b, QStringView s, bool wide) {
    for (QChar c : s) {
        if (wide)
            put16(b, c.unicode());
        else
            put8(b, static_cast<quint8>(c.unicode()));
    }
}

// A string with an 8-bit length (font and sheet names).
void putShortString(QByteArray& b, QStringView s) {
    const bool wide = !fitsLatin1(s);
    put8(b, static_cast<quint8>(s.size()));
    put8(b, wide ? 1 : 0);
    putChars(b, s, wide);
}

void putBof(QByteArray& b, quint16 substream) {
    header(b, rec::kBof, 16);
    put16(b, 0x0600);  // BIFF8
    put16(b, substream);
    put16(b, 0x0DBB);  // build
    put16(b, 0x07CC);  // year
    put32(b, 0x00000041);
    put32(b, 0x00000006);
}

// The shared string table: every distinct cell text once, cells refer to it
// by number.
class SharedStrings {
public:
    quint32 add(const QString& s) {
        ++total_;
        const auto it = index_.constFind(s);
        if (it != index_.cend()) return it.value();
        const auto i = static_cast<quint32>(strings_.size());
        index_.insert(s, i);
        strings_.push_back(s);
        return i;
    }
    // Cells that show a string already added: each later sheet repeats the
    // header row.
    void addUses(quint32 n) { total_ += n; }

    // SST, its CONTINUE records and EXTSST, appended to the globals (which
    // start at stream position 0, so a position in `out` is one in the
    // stream). A string's header never splits; its characters may, and go
    // on after a CONTINUE's one-byte flag.
    void write(QByteArray& out) const {
        const auto unique = static_cast<quint32>(strings_.size());
        const quint32 perBucket = std::max<quint32>(8, (unique + 127) / 128);
        QByteArray buckets;
        qsizetype start = out.size();
        auto length = [&] { return out.size() - start - 4; };
        auto close = [&] {
            const auto n = static_cast<quint16>(length());
            out[start + 2] = static_cast<char>(n & 0xFF);
            out[start + 3] = static_cast<char>(n >> 8);
        };
        auto next = [&] {
            close();
            start = out.size();
            header(out, rec::kContinue, 0);
        };
        header(out, rec::kSst, 0);
        put32(out, total_);
        put32(out, unique);
        for (quint32 i = 0; i < unique; ++i) {
            const QString& s = strings_[i];
            const bool wide = !fitsLatin1(s);
            const qsizetype unit = wide ? 2 : 1;
            if (length() + 3 + unit > kMaxRecordData) next();
            if (i % perBucket == 0) {
                put32(buckets, static_cast<quint32>(out.size()));
                put16(buckets, static_cast<quint16>(out.size() - start));
                put16(buckets, 0);
            }
            put16(out, static_cast<quint16>(s.size()));
            put8(out, wide ? 1 : 0);
            qsizetype done = 0;
            for (;;) {
                const qsizetype n = std::min((kMaxRecordData - length()) / unit, s.size() - done);
                putChars(out, QStringView(s).mid(done, n), wide);
                done += n;
                if (done == s.size()) break;
                next();
                put8(out, wide ? 1 : 0);
            }
        }
        close();
        header(out, rec::kExtSst, static_cast<quint16>(2 + buckets.size()));
        put16(out, static_cast<quint16>(perBucket));
        out += buckets;
    }

private:
    quint32 total_ = 0;
    QHash<QString, quint32> index_;
    std::vector<QString> strings_;
};

// The cells of the exported rows as string numbers, row by row.
struct Table {
    int cols = 0;
    std::vector<quint32> cells;  // (rows + 1) x cols
    const quint32* row(int r) const {
        return cells.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(cols);
    }
    int filled(int r) const {
        return static_cast<int>(
            std::count_if(row(r), row(r) + cols, [](quint32 s) { return s != kNoString; }));
    }
};

// One sheet's rows and where its records go, worked out before anything is
// written: the workbook's sheet list needs every sheet's position first.
struct SheetPlan {
    std::vector<int> gridRows;        // sheet row i shows grid row gridRows[i]
    std::vector<int> used;            // sheet rows with at least one cell
    std::vector<std::size_t> blocks;  // starts in `used` of each 32-row block
    std::vector<quint32> dbCells;     // stream positions of the blocks' DBCELLs
    quint32 start = 0, defColWidth = 0, size = 0;
    quint32 firstRow = 0, endRow = 0;
    quint16 firstCol = 0, endCol = 0;
};

std::size_t blockEnd(const SheetPlan& p, std::size_t b) {
    return b + 1 < p.blocks.size() ? p.blocks[b + 1] : p.used.size();
}

SheetPlan planSheet(const Table& t, int firstData, int lastData, quint32 start) {
    SheetPlan p;
    p.start = start;
    p.gridRows.push_back(0);
    for (int r = firstData; r <= lastData; ++r)
        p.gridRows.push_back(r);
    int minCol = t.cols, maxCol = -1;
    for (std::size_t i = 0; i < p.gridRows.size(); ++i) {
        const quint32* cells = t.row(p.gridRows[i]);
        bool any = false;
        for (int c = 0; c < t.cols; ++c) {
            if (cells[c] == kNoString) continue;
            any = true;
            minCol = std::min(minCol, c);
            maxCol = std::max(maxCol, c);
        }
        if (!any) continue;
        const int row = static_cast<int>(i);
        if (p.used.empty() || row / kRowsPerBlock != p.used.back() / kRowsPerBlock)
            p.blocks.push_back(p.used.size());
        p.used.push_back(row);
    }
    if (!p.used.empty()) {
        p.firstRow = static_cast<quint32>(p.used.front());
        p.endRow = static_cast<quint32>(p.used.back() + 1);
        p.firstCol = static_cast<quint16>(minCol);
        p.endCol = static_cast<quint16>(maxCol + 1);
    }
    quint32 pos = start + kBofSize + 4 + 16 + 4 * static_cast<quint32>(p.blocks.size());
    p.defColWidth = pos;
    pos += kDefColWidthSize + kDimensionsSize;
    for (std::size_t b = 0; b < p.blocks.size(); ++b) {
        const auto rows = static_cast<quint32>(blockEnd(p, b) - p.blocks[b]);
        quint32 cells = 0;
        for (std::size_t u = p.blocks[b]; u < blockEnd(p, b); ++u)
            cells +=
                static_cast<quint32>(t.filled(p.gridRows[static_cast<std::size_t>(p.used[u])]));
        pos += rows * kRowSize + cells * kLabelSstSize;
        p.dbCells.push_back(pos);
        pos += 4 + 4 + 2 * rows;
    }
    pos += kWindow2Size + kEofSize;
    p.size = pos - start;
    return p;
}

// The workbook stream, buffered into the compound file's stream. A failed
// write stays failed: every later flush reports it.
class StreamOut {
public:
    explicit StreamOut(CompoundFileWriter& out) : out_(out) { buf_.reserve(kFlushBytes + 65536); }
    QByteArray& buf() { return buf_; }
    quint64 pos() const { return written_ + static_cast<quint64>(buf_.size()); }
    bool maybeFlush() { return buf_.size() < kFlushBytes || flush(); }
    bool flush() {
        if (buf_.isEmpty()) return ok_;
        ok_ = out_.write(buf_.constData(), buf_.size()) && ok_;
        written_ += static_cast<quint64>(buf_.size());
        buf_.resize(0);
        return ok_;
    }

private:
    CompoundFileWriter& out_;
    QByteArray buf_;
    quint64 written_ = 0;
    bool ok_ = true;
};

QByteArray globals(const SharedStrings& sst, int sheets, std::vector<qsizetype>* sheetOffsets) {
    QByteArray g;
    putBof(g, 0x0005);
    header(g, rec::kCodePage, 2);
    put16(g, 0x04B0);  // UTF-16: the strings carry their own encoding
    header(g, rec::kWindow1, 18);
    for (quint16 v : {0, 0, 0x3A5C, 0x2328, 0x0038, 0, 0, 1, 0x0258})
        put16(g, v);
    header(g, rec::kDateMode, 2);
    put16(g, 0);
    // Font 4 does not exist in BIFF: five records are fonts 0-3 and 5.
    const QString font = QStringLiteral("宋体");
    for (int i = 0; i < 5; ++i) {
        header(g, rec::kFont, static_cast<quint16>(14 + 2 + 2 * font.size()));
        put16(g, 240);     // 12 points
        put16(g, 0);       // attributes
        put16(g, 0x7FFF);  // automatic colour
        put16(g, 400);     // normal weight
        put16(g, 0);       // no super- or subscript
        put8(g, 0);        // no underline
        put8(g, 0);        // family
        put8(g, 134);      // GB2312 character set
        put8(g, 0);
        putShortString(g, font);
    }
    // XF 0-14: the style formats Excel expects; 15: the default cell
    // format; 16: the cells' own, text ("@", built-in number format 49).
    auto xf = [&g](quint16 fontIndex, quint16 format, quint16 type, quint8 used) {
        header(g, rec::kXf, 20);
        put16(g, fontIndex);
        put16(g, format);
        put16(g, type);
        put8(g, 0x20);  // aligned bottom
        put8(g, 0);     // no rotation
        put8(g, 0);     // no indent
        put8(g, used);
        put32(g, 0);  // no borders
        put32(g, 0);
        put16(g, 0x20C0);  // pattern colours: automatic
    };
    xf(0, 0, 0xFFF5, 0x00);
    for (quint16 f : {1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
        xf(f, 0, 0xFFF5, 0xF4);
    xf(0, 0, 0x0001, 0x00);
    xf(0, 49, 0x0001, 0x04);
    header(g, rec::kStyle, 4);
    put16(g, 0x8000);  // built-in style of XF 0: Normal
    put8(g, 0);
    put8(g, 0xFF);
    for (int s = 0; s < sheets; ++s) {
        const QString name = QStringLiteral("Sheet%1").arg(s + 1);
        header(g, rec::kBoundSheet, static_cast<quint16>(6 + 2 + name.size()));
        sheetOffsets->push_back(g.size());
        put32(g, 0);  // the sheet's position, set once known
        put8(g, 0);   // visible
        put8(g, 0);   // worksheet
        putShortString(g, name);
    }
    sst.write(g);
    header(g, rec::kEof, 0);
    return g;
}

void writeSheet(StreamOut& out, const Table& t, const SheetPlan& p, bool first) {
    QByteArray& b = out.buf();
    putBof(b, 0x0010);
    header(b, rec::kIndex, static_cast<quint16>(16 + 4 * p.dbCells.size()));
    put32(b, 0);
    put32(b, p.firstRow);
    put32(b, p.endRow);
    put32(b, p.defColWidth);
    for (quint32 d : p.dbCells)
        put32(b, d);
    header(b, rec::kDefColWidth, 2);
    put16(b, 8);
    header(b, rec::kDimensions, 14);
    put32(b, p.firstRow);
    put32(b, p.endRow);
    put16(b, p.firstCol);
    put16(b, p.endCol);
    put16(b, 0);
    for (std::size_t blk = 0; blk < p.blocks.size(); ++blk) {
        const std::size_t begin = p.blocks[blk], end = blockEnd(p, blk);
        const quint64 firstRowAt = out.pos();
        std::vector<quint16> offsets;
        for (std::size_t u = begin; u < end; ++u) {
            const int row = p.used[u];
            const quint32* cells = t.row(p.gridRows[static_cast<std::size_t>(row)]);
            int lo = 0, hi = t.cols - 1;
            while (cells[lo] == kNoString)
                ++lo;
            while (cells[hi] == kNoString)
                --hi;
            header(b, rec::kRow, 16);
            put16(b, static_cast<quint16>(row));
            put16(b, static_cast<quint16>(lo));
            put16(b, static_cast<quint16>(hi + 1));
            put16(b, 285);  // 14.25 points, the height of the 12-point font
            put16(b, 0);
            put16(b, 0);
            put16(b, 0x0100);
            put16(b, 0x000F);
        }
        // DBCELL: the first row's cells from the second ROW record on, each
        // later row's from the first cell of the row before.
        quint32 previous = static_cast<quint32>(end - begin - 1) * kRowSize;
        for (std::size_t u = begin; u < end; ++u) {
            const int row = p.used[u];
            const quint32* cells = t.row(p.gridRows[static_cast<std::size_t>(row)]);
            offsets.push_back(static_cast<quint16>(previous));
            quint32 written = 0;
            for (int c = 0; c < t.cols; ++c) {
                if (cells[c] == kNoString) continue;
                header(b, rec::kLabelSst, 10);
                put16(b, static_cast<quint16>(row));
                put16(b, static_cast<quint16>(c));
                put16(b, kTextXf);
                put32(b, cells[c]);
                ++written;
            }
            previous = written * kLabelSstSize;
        }
        header(b, rec::kDbCell, static_cast<quint16>(4 + 2 * offsets.size()));
        put32(b, static_cast<quint32>(out.pos() - 4 - firstRowAt));
        for (quint16 o : offsets)
            put16(b, o);
        out.maybeFlush();
    }
    header(b, rec::kWindow2, 18);
    put16(b, first ? 0x06B6 : 0x00B6);  // grid, headers, zeros; the first sheet selected
    put16(b, 0);
    put16(b, 0);
    put16(b, 0x40);
    put16(b, 0);
    put16(b, 0);
    put16(b, 0);
    put16(b, 0);
    put16(b, 0);
    header(b, rec::kEof, 0);
}

int deviceError(const QIODevice& out) {
    const auto* file = qobject_cast<const QFileDevice*>(&out);
    return file && file->error() != QFileDevice::NoError
               ? static_cast<int>(file->error())
               : static_cast<int>(QFileDevice::WriteError);
}

}  // namespace

ExportResult writeGridXls(QIODevice& out, const GridModel& grid, int rowLimit) {
    const int cols = grid.Cols();
    if (cols > kXlsMaxCols)
        return ExportResult::failure(
            1, QStringLiteral("表格有%1列，Excel工作表最多%2列").arg(cols).arg(kXlsMaxCols));
    const int rows = exportRowCount(grid, rowLimit);
    Table table;
    table.cols = cols;
    table.cells.resize(static_cast<std::size_t>(rows + 1) * static_cast<std::size_t>(cols));
    SharedStrings sst;
    QString text;
    for (int r = 0; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            text.resize(0);
            grid.appendText(r, c, text);
            quint32 s = kNoString;
            if (text.size() > kXlsMaxCellChars)
                return ExportResult::failure(
                    2, QStringLiteral("第%1行第%2列的文字超过%3个字符，Excel单元格放不下")
                           .arg(r)
                           .arg(c)
                           .arg(kXlsMaxCellChars));
            if (!text.isEmpty()) s = sst.add(text);
            table.cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) +
                        static_cast<std::size_t>(c - 1)] = s;
        }
    }
    const int sheets = std::max(1, (rows + kXlsDataRowsPerSheet - 1) / kXlsDataRowsPerSheet);
    sst.addUses(static_cast<quint32>(sheets - 1) * static_cast<quint32>(table.filled(0)));
    std::vector<qsizetype> offsets;
    QByteArray head = globals(sst, sheets, &offsets);
    std::vector<SheetPlan> plans;
    quint64 end = static_cast<quint64>(head.size());
    const auto tooLarge = [] {
        return ExportResult::failure(3, QStringLiteral("数据太多，超出了Excel文件的大小"));
    };
    for (int s = 0; s < sheets; ++s) {
        const int first = 1 + s * kXlsDataRowsPerSheet;
        const int last = std::min(rows, (s + 1) * kXlsDataRowsPerSheet);
        if (end > CompoundFileWriter::kMaxStreamSize) return tooLarge();
        plans.push_back(planSheet(table, first, last, static_cast<quint32>(end)));
        patch32(head, offsets[static_cast<std::size_t>(s)], plans.back().start);
        end += plans.back().size;
    }
    if (end > CompoundFileWriter::kMaxStreamSize) return tooLarge();

    // Excel.Sheet.8, as Excel marks its own workbooks.
    static constexpr CompoundFileWriter::ClassId kExcelClass = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00,
                                                                0x00, 0x00, 0xC0, 0x00, 0x00, 0x00,
                                                                0x00, 0x00, 0x00, 0x46};
    CompoundFileWriter file(out, QStringLiteral("Workbook"), end, kExcelClass);
    StreamOut stream(file);
    bool ok = file.begin();
    if (ok) {
        stream.buf() += head;
        head = QByteArray();
        ok = stream.flush();
    }
    for (int s = 0; ok && s < sheets; ++s) {
        writeSheet(stream, table, plans[static_cast<std::size_t>(s)], s == 0);
        ok = stream.flush();
    }
    if (ok && stream.pos() != end)
        return ExportResult::failure(4, QStringLiteral("工作簿的记录长度与预计的不符"));
    if (!ok || !file.finish()) return ExportResult::failure(deviceError(out), file.errorString());
    return {};
}

ExportResult writeGridXls(const QString& path, const GridModel& grid, int rowLimit) {
    // Written beside the target and put in its place only when whole, so
    // that a failure leaves no half-written file and the old one intact.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ExportResult::failure(static_cast<int>(file.error()),
                                     QStringLiteral("无法创建文件：") + file.errorString());
    const ExportResult r = writeGridXls(file, grid, rowLimit);
    if (!r.ok) return r;  // the unfinished file goes with `file`
    if (!file.commit())
        return ExportResult::failure(static_cast<int>(file.error()),
                                     QStringLiteral("无法保存文件：") + file.errorString());
    return {};
}

}  // namespace orv
