// The three writers over the grid's model: the text forms byte for byte,
// the workbook read back by xlrd and by gnumeric's ssconvert, the row limit,
// replacing a file, and the failures (no file left, the old one kept, the
// log line and the message box).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "base/AppLog.h"
#include "base/Text.h"
#include "filesizelimit.h"
#include "grid/GridModel.h"
#include "gui/MessageBox.h"
#include "nopermission.h"
#include "onwindows.h"
#include "records/CompoundFile.h"
#include "records/Export.h"
#include "records/TextExport.h"
#include "records/XlsExport.h"
#include "tempdir.h"

namespace {

using orv::GridModel;
using orv::MessageBox;
using Rows = QList<QStringList>;

// A grid whose row 0 is `rows[0]` and whose data rows follow.
void fill(GridModel& g, const Rows& rows) {
    int cols = 0;
    for (const QStringList& r : rows)
        cols = std::max(cols, static_cast<int>(r.size()));
    g.setRows(0);
    g.setCols(0);
    g.setCols(cols);
    g.setRow(0, rows.value(0));
    GridModel::Batch b;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        for (const QString& c : rows[i])
            b.add(c);
        b.endRow();
    }
    g.appendRows(b);
}

QByteArray bytesOf(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The files in `dir`, so that a test sees nothing half-written stays.
QStringList entries(const orvtest::TempDir& dir) {
    return QDir(QString::fromStdString(dir.path().string()))
        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Chinese text, commas, quotes, CR/LF, a tab and empty cells.
const Rows kSmall = {
    {"纳税人名称", "a,b", "说\"明\"", "空"},
    {"北京示例商贸", "1,5", "plain", ""},
    {"", "two\r\nlines", "tab\there", "end"},
    {"x\ny", "\"", "", ""},
};
// "北京示例商贸", "纳税人名称", "说", "明", "空" in GBK.
const QByteArray kNameHeader = QByteArray::fromHex("C4C9CBB0C8CBC3FBB3C6");
const QByteArray kShuo = QByteArray::fromHex("CBB5"), kMing = QByteArray::fromHex("C3F7");
const QByteArray kKong = QByteArray::fromHex("BFD5");
const QByteArray kCompany = QByteArray::fromHex("B1B1BEA9CABEC0FDC9CCC3B3");

TEST(CsvQuote, QuotesCommasQuotesAndLineBreaksOnly) {
    EXPECT_EQ(orv::CsvQuote("a,b"), "\"a,b\"");
    EXPECT_EQ(orv::CsvQuote("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(orv::CsvQuote("plain"), "plain");
    EXPECT_EQ(orv::CsvQuote(""), "");
    EXPECT_EQ(orv::CsvQuote("tab\there"), "tab\there");
    EXPECT_EQ(orv::CsvQuote(" 电子签名"), " 电子签名");
}

// Regression: a field holding CR or LF was written bare and split its row
// for every reader.
TEST(CsvQuote, FieldWithALineBreakIsQuoted) {
    EXPECT_EQ(orv::CsvQuote("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(orv::CsvQuote("x\ny"), "\"x\ny\"");
    EXPECT_EQ(orv::CsvQuote("cr\r"), "\"cr\r\"");
}

TEST(TextExport, CommaSeparatedByteForByte) {
    orvtest::TempDir dir;
    GridModel g;
    fill(g, kSmall);
    const std::string path = dir.file("out.csv");
    ASSERT_TRUE(
        orv::writeGridText(QString::fromStdString(path), g, 0, orv::TextSeparator::Comma).ok);
    const QByteArray expected = kNameHeader + ",\"a,b\",\"" + kShuo + "\"\"" + kMing + "\"\"\"," +
                                kKong + "\r\n" + kCompany + ",\"1,5\",plain,\r\n" +
                                ",\"two\r\nlines\",tab\there,end\r\n" + "\"x\ny\",\"\"\"\",,\r\n";
    EXPECT_EQ(bytesOf(path), expected);
}

TEST(TextExport, TabSeparatedIsRaw) {
    orvtest::TempDir dir;
    GridModel g;
    fill(g, kSmall);
    const std::string path = dir.file("out.txt");
    ASSERT_TRUE(orv::writeGridText(QString::fromStdString(path), g, 0, orv::TextSeparator::Tab).ok);
    const QByteArray expected = kNameHeader + "\ta,b\t" + kShuo + "\"" + kMing + "\"\t" + kKong +
                                "\r\n" + kCompany + "\t1,5\tplain\t\r\n" +
                                "\ttwo\r\nlines\ttab\there\tend\r\n" + "x\ny\t\"\t\t\r\n";
    EXPECT_EQ(bytesOf(path), expected);
}

TEST(TextExport, RowLimitAndHeaderOnly) {
    orvtest::TempDir dir;
    GridModel g;
    fill(g, {{"h1", "h2"}, {"a", "b"}, {"c", "d"}, {"e", "f"}});
    const QString path = QString::fromStdString(dir.file("o.csv"));
    auto written = [&](int limit) {
        EXPECT_TRUE(orv::writeGridText(path, g, limit, orv::TextSeparator::Comma).ok);
        return bytesOf(path.toStdString());
    };
    EXPECT_EQ(written(2), "h1,h2\r\na,b\r\nc,d\r\n");
    EXPECT_EQ(written(0), "h1,h2\r\na,b\r\nc,d\r\ne,f\r\n");
    EXPECT_EQ(written(99), "h1,h2\r\na,b\r\nc,d\r\ne,f\r\n");
    EXPECT_EQ(written(-1), "h1,h2\r\na,b\r\nc,d\r\ne,f\r\n");
    g.setRows(0);  // an empty result: the header line alone
    EXPECT_EQ(written(0), "h1,h2\r\n");
    EXPECT_TRUE(orv::writeGridText(path, g, 0, orv::TextSeparator::Tab).ok);
    EXPECT_EQ(bytesOf(path.toStdString()), "h1\th2\r\n");
}

TEST(TextExport, ReplacesALongerExistingFileWhole) {
    orvtest::TempDir dir;
    const std::string path = dir.file("o.txt");
    orvtest::writeFile(path, std::string(10000, 'z'));
    GridModel g;
    fill(g, {{"h"}, {"v"}});
    ASSERT_TRUE(orv::writeGridText(QString::fromStdString(path), g, 0, orv::TextSeparator::Tab).ok);
    EXPECT_EQ(bytesOf(path), "h\r\nv\r\n");
    EXPECT_EQ(entries(dir), QStringList{"o.txt"});
}

// What xlsread.py found in a workbook: per reader, per sheet, the rows.
struct ReadBack {
    QJsonObject json;
    QStringList sheetNames() const {
        QStringList out;
        for (const QJsonValue& s : json["xlrd"].toArray())
            out << s.toObject()["name"].toString();
        return out;
    }
    static Rows rowsOf(const QJsonValue& sheet) {
        Rows out;
        for (const QJsonValue& r : sheet.toObject()["rows"].toArray()) {
            QStringList cells;
            for (const QJsonValue& c : r.toArray())
                cells << c.toString();
            out << cells;
        }
        return out;
    }
    Rows xlrd(int sheet) const { return rowsOf(json["xlrd"].toArray().at(sheet)); }
    Rows ssconvert(int sheet) const { return rowsOf(json["ssconvert"].toArray().at(sheet)); }
    int ssconvertSheets() const { return static_cast<int>(json["ssconvert"].toArray().size()); }
    // Every cell xlrd read is a text cell (1) or absent (0).
    bool onlyText() const {
        for (const QJsonValue& s : json["xlrd"].toArray())
            for (const QJsonValue& r : s.toObject()["types"].toArray())
                for (const QJsonValue& t : r.toArray())
                    if (t.toInt() != 1 && t.toInt() != 0) return false;
        return true;
    }
};

ReadBack readXls(const std::string& path) {
    QProcess p;
    p.start("/usr/bin/python3",
            {ORV_SOURCE_DIR "/tests/records/xlsread.py", QString::fromStdString(path)});
    EXPECT_TRUE(p.waitForFinished(240000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return ReadBack{QJsonDocument::fromJson(p.readAllStandardOutput()).object()};
}

// Rows as a reader sees them: trailing empty cells are not cells.
Rows trimmed(Rows rows) {
    for (QStringList& r : rows)
        while (!r.isEmpty() && r.last().isEmpty())
            r.removeLast();
    return rows;
}

// Under Wine the workbook and the rows it should hold are left in
// ORV_READBACK_DIR, whose files scripts/windows-ctest reads back on Linux.
void leaveForReadBack(const std::string& path, const QString& name, const Rows& rows) {
    const QString folder = qEnvironmentVariable("ORV_READBACK_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "the readers are Linux's python3 programs";
    const QString target = folder + "/" + name;
    QFile::remove(target + ".xls");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(path), target + ".xls"));
    QJsonArray expected;
    for (const QStringList& row : rows)
        expected.append(QJsonArray::fromStringList(row));
    QFile json(target + ".json");
    ASSERT_TRUE(json.open(QIODevice::WriteOnly | QIODevice::Truncate));
    json.write(QJsonDocument(expected).toJson());
}

TEST(XlsExport, SmallGridReadsBackCellForCellInBothReaders) {
    orvtest::TempDir dir;
    GridModel g;
    fill(g, kSmall);
    const std::string path = dir.file("out.xls");
    const orv::ExportResult r = orv::writeGridXls(QString::fromStdString(path), g, 0);
    ASSERT_TRUE(r.ok) << r.description.toStdString();
    EXPECT_TRUE(bytesOf(path).startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")));
    if (orvtest::kOnWindows) return leaveForReadBack(path, "small", trimmed(kSmall));
    const ReadBack back = readXls(path);
    EXPECT_EQ(back.sheetNames(), QStringList{"Sheet1"});
    EXPECT_EQ(back.xlrd(0), trimmed(kSmall));
    EXPECT_TRUE(back.onlyText());
    ASSERT_EQ(back.ssconvertSheets(), 1);
    EXPECT_EQ(back.ssconvert(0), trimmed(kSmall));
    EXPECT_EQ(back.json["ssconvert_messages"].toString(), "");
}

TEST(XlsExport, HeaderOnlyAndRowLimit) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "the readers are Linux's python3 programs";
    orvtest::TempDir dir;
    GridModel g;
    fill(g, {{"纳税人名称", "机器编号"}, {"a", "b"}, {"c", "d"}});
    const std::string path = dir.file("o.xls");
    ASSERT_TRUE(orv::writeGridXls(QString::fromStdString(path), g, 1).ok);
    EXPECT_EQ(readXls(path).xlrd(0), (Rows{{"纳税人名称", "机器编号"}, {"a", "b"}}));
    g.setRows(0);
    ASSERT_TRUE(orv::writeGridXls(QString::fromStdString(path), g, 0).ok);
    const ReadBack back = readXls(path);
    EXPECT_EQ(back.xlrd(0), (Rows{{"纳税人名称", "机器编号"}}));
    EXPECT_EQ(back.ssconvert(0), (Rows{{"纳税人名称", "机器编号"}}));
    EXPECT_EQ(back.json["ssconvert_messages"].toString(), "");
    EXPECT_EQ(entries(dir), QStringList{"o.xls"});  // replaced, nothing beside it
}

// 65 535 data rows fill Sheet1 below the header; the next one goes on in
// Sheet2 under the header again. Long texts (ASCII and Chinese) make the
// string table run through many CONTINUE records, split inside strings.
TEST(XlsExport, OneRowMoreThanASheetHoldsGoesOnInSheetTwo) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "the readers are Linux's python3 programs";
    orvtest::TempDir dir;
    GridModel g;
    const int n = orv::kXlsDataRowsPerSheet + 1;
    g.setCols(4);
    g.setRow(0, {"序号", "签名", "名称", "空"});
    GridModel::Batch b;
    const QString wide = QStringLiteral("北京市海淀区示例商贸有限公司").repeated(20);
    Rows expected{{"序号", "签名", "名称", "空"}};
    for (int r = 1; r <= n; ++r) {
        const QString sign = QString::number(r, 16).toUpper().rightJustified(256, 'A');
        const QString name = r % 7 == 0 ? wide + QString::number(r) : QStringLiteral("同名");
        b.add(QString::number(r));
        b.add(sign);
        b.add(name);
        b.add(QString());
        b.endRow();
        expected << QStringList{QString::number(r), sign, name};
    }
    g.appendRows(b);
    const std::string path = dir.file("big.xls");
    ASSERT_TRUE(orv::writeGridXls(QString::fromStdString(path), g, 0).ok);
    const ReadBack back = readXls(path);
    ASSERT_EQ(back.sheetNames(), (QStringList{"Sheet1", "Sheet2"}));
    const Rows first = expected.mid(0, orv::kXlsDataRowsPerSheet + 1);
    const Rows second = {expected[0], expected.last()};
    EXPECT_EQ(back.xlrd(0).size(), 65536);
    EXPECT_TRUE(back.xlrd(0) == first);
    EXPECT_EQ(back.xlrd(1), second);
    ASSERT_EQ(back.ssconvertSheets(), 2);
    EXPECT_TRUE(back.ssconvert(0) == first);
    EXPECT_EQ(back.ssconvert(1), second);
    EXPECT_EQ(back.json["ssconvert_messages"].toString(), "");
}

TEST(XlsExport, RefusesWhatASheetCannotHold) {
    orvtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("o.xls"));
    GridModel g;
    g.setCols(orv::kXlsMaxCols + 1);
    EXPECT_FALSE(orv::writeGridXls(path, g, 0).ok);
    g.setCols(orv::kXlsMaxCols);
    EXPECT_TRUE(orv::writeGridXls(path, g, 0).ok);
    g.setCols(1);
    g.setText(0, 1, QString(orv::kXlsMaxCellChars + 1, 'x'));
    const orv::ExportResult r = orv::writeGridXls(path, g, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.description.isEmpty());
}

TEST(ExportFormat, ByMenuItemAndByTheNamesLastThreeCharacters) {
    EXPECT_EQ(orv::menuExportFilter(0), "Excel文件|*.xls");
    EXPECT_EQ(orv::menuExportFilter(1), "CSV(逗号分隔)|*.csv");
    EXPECT_EQ(orv::menuExportFilter(2), "文本文件(制表符分隔)|*.txt");
    EXPECT_EQ(orv::queryExportFilter(),
              "Excel文件|*.xls|CSV(逗号分隔)|*.csv|文本文件(制表符分隔)|*.txt");
    EXPECT_EQ(orv::qtFilters(orv::queryExportFilter()),
              "Excel文件 (*.xls);;CSV(逗号分隔) (*.csv);;文本文件(制表符分隔) (*.txt)");
    EXPECT_EQ(orv::defaultExtension(orv::menuExportFilter(1)), "csv");
    using F = orv::ExportFormat;
    EXPECT_EQ(orv::formatForFileName("/t/a.xls"), F::Xls);
    EXPECT_EQ(orv::formatForFileName("/t/a.csv"), F::Csv);
    EXPECT_EQ(orv::formatForFileName("/t/a.CSV"), F::Txt);  // exact comparison
    EXPECT_EQ(orv::formatForFileName("/t/a.XLS"), F::Txt);
    EXPECT_EQ(orv::formatForFileName("/t/axls"), F::Xls);
    EXPECT_EQ(orv::formatForFileName("/t/a.txt"), F::Txt);
    EXPECT_EQ(orv::formatForFileName("/t/a"), F::Txt);
}

// A device that refuses one write, the `failAt`-th, and takes every other,
// as a file system whose error clears up (space freed, a share back).
class RefusesOnce : public QBuffer {
public:
    explicit RefusesOnce(int failAt) : failAt_(failAt) {}
    int calls() const { return calls_; }

protected:
    qint64 writeData(const char* data, qint64 size) override {
        if (++calls_ == failAt_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return QBuffer::writeData(data, size);
    }

private:
    int failAt_, calls_ = 0;
};

// What cfbread.py found in one stream of a compound file.
QJsonObject readStream(const std::string& path, const char* stream) {
    QProcess p;
    p.start("/usr/bin/python3", {ORV_SOURCE_DIR "/tests/records/cfbread.py",
                                 QString::fromStdString(path), QString::fromLatin1(stream)});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

const orv::CompoundFileWriter::ClassId kExcelSheet8 = {0x20, 0x08, 0x02, 0, 0, 0, 0, 0,
                                                       0xC0, 0,    0,    0, 0, 0, 0, 0x46};

// A stream larger than the header's 109 allocation-table sectors cover
// (about 7 MB) needs the table's extension sectors; another reader finds it
// whole. A short one is padded to 4096 bytes.
TEST(CompoundFile, LargeAndShortStreamsReadBackWhole) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "the readers are Linux's python3 programs";
    orvtest::TempDir dir;
    for (const qint64 size : {qint64{8} * 1024 * 1024 + 123, qint64{100}}) {
        SCOPED_TRACE(size);
        QByteArray data(size, Qt::Uninitialized);
        for (qint64 i = 0; i < size; ++i)
            data[i] = static_cast<char>((i * 131 + (i >> 9)) & 0xFF);
        const auto layout = orv::CompoundFileWriter::layoutFor(static_cast<quint64>(size));
        const std::string path = dir.file("c.bin");
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        orv::CompoundFileWriter w(f, "Workbook", static_cast<quint64>(size), kExcelSheet8);
        ASSERT_TRUE(w.begin());
        for (qint64 at = 0; at < size; at += 100000)
            ASSERT_TRUE(w.write(data.constData() + at, std::min<qint64>(100000, size - at)));
        ASSERT_TRUE(w.finish()) << w.errorString().toStdString();
        f.close();
        EXPECT_EQ(QFileInfo(f).size(), 512 * (1 + qint64{layout.sectors()}));
        const QJsonObject back = readStream(path, "Workbook");
        EXPECT_EQ(back["messages"].toString(), "");
        EXPECT_EQ(back["root_class"].toString(), "2008020000000000c000000000000046");
        if (size > 4096) {
            EXPECT_GT(layout.fatSectors, 109u);
            EXPECT_GE(layout.difatSectors, 1u);
            EXPECT_EQ(back["size"].toInt(), size);
        } else {
            data.append(4096 - size, '\0');
            EXPECT_EQ(back["size"].toInt(), 4096);
        }
        EXPECT_EQ(back["sha1"].toString(),
                  QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
    }
}

TEST(CompoundFile, RefusesAStreamOtherThanTheOneAnnounced) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    orv::CompoundFileWriter w(out, "Workbook", 10, kExcelSheet8);
    ASSERT_TRUE(w.begin());
    EXPECT_TRUE(w.write("12345", 5));
    EXPECT_FALSE(w.finish());  // five bytes short
    orv::CompoundFileWriter over(out, "Workbook", 4, kExcelSheet8);
    ASSERT_TRUE(over.begin());
    EXPECT_FALSE(over.write("12345", 5));
    orv::CompoundFileWriter huge(out, "Workbook", orv::CompoundFileWriter::kMaxStreamSize + 1,
                                 kExcelSheet8);
    EXPECT_FALSE(huge.begin());
}

// Regression: a write of the workbook that failed once went unnoticed when
// the next ones passed (the error only noted on the stream), and the
// export was reported done with a hole in the file.
TEST(XlsExport, AWriteThatFailsOnceFailsTheExport) {
    GridModel g;
    g.setCols(2);
    GridModel::Batch b;
    for (int r = 0; r < 40000; ++r) {
        b.add(QStringLiteral("北京%1").arg(r));
        b.add(QStringLiteral("%1").arg(r));
        b.endRow();
    }
    g.appendRows(b);
    RefusesOnce never(0);
    never.open(QIODevice::WriteOnly);
    ASSERT_TRUE(orv::writeGridXls(never, g, 0).ok);
    // The header, the globals, the first rows, ..., the last table sector.
    for (int failAt : {1, 2, 3, never.calls()}) {
        SCOPED_TRACE(failAt);
        RefusesOnce out(failAt);
        out.open(QIODevice::WriteOnly);
        const orv::ExportResult r = orv::writeGridXls(out, g, 0);
        EXPECT_FALSE(r.ok);
        // The user reads the program's words; the system's go to the log.
        EXPECT_TRUE(r.description.startsWith(QStringLiteral("写入文件失败：")))
            << r.description.toStdString();
        EXPECT_TRUE(r.detail.contains("No space left on device")) << r.detail.toStdString();
    }
}

// Regression: the shared-string table's count of cells counted the header
// row once, though every sheet repeats it.
TEST(XlsExport, SharedStringCountCountsEverySheetsHeader) {
    GridModel g;
    fill(g, {{"h1", "h2"}});
    GridModel::Batch b;
    for (int r = 0; r < orv::kXlsDataRowsPerSheet * 2 + 1; ++r) {
        b.add(QStringLiteral("v"));
        b.endRow();
    }
    g.appendRows(b);  // three sheets; the data rows fill column 1 only
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(orv::writeGridXls(out, g, 0).ok);
    // The stream starts after the 512-byte header; the globals' records
    // are walked to the SST.
    const QByteArray& file = out.data();
    qsizetype at = 512;
    auto u16 = [&](qsizetype i) {
        return static_cast<quint16>(static_cast<quint8>(file[i]) | static_cast<quint8>(file[i + 1])
                                                                       << 8);
    };
    while (at + 4 <= file.size() && u16(at) != 0x00FC)
        at += 4 + u16(at + 2);
    ASSERT_LT(at + 12, file.size());
    const quint32 total = u16(at + 4) | quint32{u16(at + 6)} << 16;
    const quint32 unique = u16(at + 8) | quint32{u16(at + 10)} << 16;
    EXPECT_EQ(total, 3u * 2 + orv::kXlsDataRowsPerSheet * 2 + 1);
    EXPECT_EQ(unique, 3u);
}

class ExporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::takeShown();
        fill(grid_, kSmall);
    }
    // The log is GBK text.
    std::string logText() {
        QString all;
        const QDir logs(QString::fromStdString(dir_.file("Log")));
        for (const QString& f : logs.entryList(QDir::Files))
            all += orv::fromGbk(
                QByteArray::fromStdString(orvtest::readFile(logs.filePath(f).toStdString())));
        return all.toStdString();
    }
    orvtest::TempDir dir_;
    orvtest::TempDir out_;
    orv::AppLog log_{QString::fromStdString(dir_.path().string())};
    GridModel grid_;
};

TEST_F(ExporterTest, EachOperationEndsWithItsMessage) {
    orv::Exporter e(log_);
    for (auto format : {orv::ExportFormat::Xls, orv::ExportFormat::Csv, orv::ExportFormat::Txt}) {
        const QString path = QString::fromStdString(out_.file("t.out"));
        EXPECT_TRUE(e.exportAs(format, path, grid_, 0));
        const auto shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, "数据已导出到：" + path);
        EXPECT_EQ(shown[0].caption, "提示");
        EXPECT_EQ(shown[0].icon, MessageBox::Icon::Information);
    }
}

TEST_F(ExporterTest, AFolderWithoutWritePermissionLeavesNoFile) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "no permission bits to take away on Windows";
    const std::string folder = out_.file("locked");
    QDir().mkpath(QString::fromStdString(folder));
    const QString path = QString::fromStdString(folder + "/t.xls");
    orvtest::NoPermission locked(folder);
    ASSERT_TRUE(locked.effective());
    orv::Exporter e(log_);
    const struct {
        orv::ExportFormat format;
        const char* tag;
    } cases[] = {{orv::ExportFormat::Xls, "导出XLS："},
                 {orv::ExportFormat::Csv, "导出CSV："},
                 {orv::ExportFormat::Txt, "导出TXT："}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_FALSE(e.exportAs(c.format, path, grid_, 0));
        const auto shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].text.startsWith("导出时发生错误:")) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains("\r\n错误代码:"));
        EXPECT_EQ(shown[0].caption, "错误");
        EXPECT_EQ(shown[0].icon, MessageBox::Icon::Exclamation);
        EXPECT_NE(logText().find(c.tag), std::string::npos);
        // The system's "Permission denied" is for the log, not the user.
        EXPECT_FALSE(shown[0].text.contains("ermission")) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains("文件打不开")) << shown[0].text.toStdString();
        EXPECT_NE(logText().find("ermission"), std::string::npos) << logText();
    }
    EXPECT_TRUE(QDir(QString::fromStdString(folder))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// The file system refuses more than a few kilobytes (as a full disk
// would): the write fails half-way, the old file stays, and nothing
// half-written is left beside it.
TEST_F(ExporterTest, AWriteFailingHalfWayKeepsTheOldFile) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "no file-size limit on Windows";
    GridModel big;
    big.setCols(3);
    GridModel::Batch b;
    for (int r = 0; r < 20000; ++r) {
        for (int c = 0; c < 3; ++c)
            b.add(QStringLiteral("北京%1-%2").arg(r).arg(c));
        b.endRow();
    }
    big.appendRows(b);
    orv::Exporter e(log_);
    for (auto format : {orv::ExportFormat::Xls, orv::ExportFormat::Csv}) {
        const std::string path = out_.file("old.file");
        orvtest::writeFile(path, "the old export");
        {
            orvtest::FileSizeLimit limit(64 * 1024);
            EXPECT_FALSE(e.exportAs(format, QString::fromStdString(path), big, 0));
        }
        const auto shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].text.startsWith("导出时发生错误:"));
        EXPECT_EQ(orvtest::readFile(path), "the old export");
        EXPECT_EQ(entries(out_), QStringList{"old.file"});
    }
}

}  // namespace
