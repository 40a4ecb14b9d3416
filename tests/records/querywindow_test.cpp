// The real query window against a real orv.db filled through the core's
// writers (and direct inserts where a case needs odd data): each kind with
// its date rules, value forms and row counts, the range check, database
// errors, and export by the chosen name.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include "appcard.h"
#include "base/AppLog.h"
#include "base/ErrorTexts.h"
#include "base/Text.h"
#include "builder.h"
#include "card/CardRecords.h"
#include "card/RecordsStore.h"
#include "fakes.h"
#include "grid/Grid.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"
#include "openrecordsdb.h"
#include "records/Export.h"
#include "records/QueryWindow.h"
#include "records/RecordQuery.h"
#include "tempdir.h"

namespace {

using orv::FileDialog;
using orv::MessageBox;

orv::LocalTime day(int y, int m, int d) {
    return orv::LocalTime{y, m, d, 10, 0, 0};
}

class QueryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::takeShown();
        FileDialog::takeShown();
    }
    void open(int kind) {
        window_ = std::make_unique<orv::QueryWindow>(kind, db_.db(), log_, nullptr, clock_);
        window_->show();
        grid_ = window_->findChild<orv::Grid*>("Grid1");
        ASSERT_NE(grid_, nullptr);
    }
    template <typename T>
    T* child(const char* name) {
        T* w = window_->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // The range typed into the two pickers, then 查询 pressed.
    void query(QDate from, QDate to) {
        child<QDateEdit>("DT1")->setDate(from);
        child<QDateEdit>("DT2")->setDate(to);
        QTest::mouseClick(child<QPushButton>("cmdDo"), Qt::LeftButton);
    }
    void business(int index) { child<QComboBox>("cboYW")->setCurrentIndex(index); }
    QString cell(int r, int c) const { return grid_->Text(r, c); }
    QStringList row(int r) const {
        QStringList out;
        for (int c = 1; c <= grid_->Cols(); ++c)
            out << grid_->Text(r, c);
        return out;
    }
    bool exportOffered() { return child<QPushButton>("cmdExport")->isEnabled(); }

    // One operation as the wizard stores it on `when`: SaveCBS for jg1,
    // then SaveSBJS and SaveQLJS into the same row.
    qint64 operation(orv::LocalTime when, int jg1, int jg2, int jg3,
                     const cardsim::CardSpec& spec = cardsim::realisticSpec()) {
        orv::CardData card = orvtest::cardDataFrom(spec);
        card.rSn = QStringLiteral("%1").arg(++serial_, 16, 10, QLatin1Char('0'));
        card.xssr1 = 100;
        card.nsje = 12.5;
        clock_.t = when;
        QString error;
        if (jg1) {
            EXPECT_TRUE(store_.SaveCBS(card, jg1, &error)) << error.toStdString();
        }
        if (jg2) {
            EXPECT_TRUE(store_.SaveSBJS(card, jg2, &error)) << error.toStdString();
        }
        if (jg3) {
            EXPECT_TRUE(store_.SaveQLJS(card, jg3, &error)) << error.toStdString();
        }
        return card.rID;
    }
    void exec(const QString& sql) {
        QSqlQuery q(db_.db());
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    // The stored rows of `sql`, as the database gives them.
    QList<QSqlRecord> stored(const QString& sql) {
        QSqlQuery q(db_.db());
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        QList<QSqlRecord> out;
        while (q.next())
            out << q.record();
        return out;
    }
    QString logText() {
        QString all;
        const QDir logs(QString::fromStdString(dir_.file("Log")));
        for (const QString& f : logs.entryList(QDir::Files))
            all += orv::fromGbk(
                QByteArray::fromStdString(orvtest::readFile(logs.filePath(f).toStdString())));
        return all;
    }

    orvtest::TempDir dir_;
    orvtest::OpenRecordsDb db_{dir_};
    orv::AppLog log_{QString::fromStdString(dir_.path().string())};
    orvtest::FakeClock clock_;
    orv::RecordsStore store_{db_.db(), clock_, orv::RowInsert::Binding::Qt};
    std::unique_ptr<orv::QueryWindow> window_;
    orv::Grid* grid_ = nullptr;
    int serial_ = 0;
};

TEST_F(QueryWindowTest, EachKindLoadsItsCaptionColumnsAndPickers) {
    const struct {
        int kind;
        const char* caption;
        int cols, rows;
        const char* lastHeader;
    } kinds[] = {{1, "抄报税记录查询", 6, 40, "交易流水号"},
                 {2, "缴税记录查询", 8, 40, "交易结果"},
                 {3, "申报汇总数据查询", 26, 40, " 电子签名"},
                 {4, "发票使用信息查询", 12, 200, "开票截止时间"},
                 {5, "日交易记录查询", 20, 200, "日汇总签名"}};
    clock_.t = day(2013, 7, 9);
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        open(k.kind);
        EXPECT_EQ(window_->windowTitle(), k.caption);
        EXPECT_EQ(window_->QueryKind(), k.kind);
        EXPECT_EQ(grid_->Cols(), k.cols);
        EXPECT_EQ(grid_->Rows(), k.rows);
        EXPECT_EQ(cell(0, 1), "纳税人名称");
        EXPECT_EQ(cell(0, k.cols), k.lastHeader);
        EXPECT_EQ(grid_->ColWidth(0), 24);
        auto* dt1 = child<QDateEdit>("DT1");
        auto* dt2 = child<QDateEdit>("DT2");
        EXPECT_EQ(dt1->date(), QDate(2011, 5, 1));
        EXPECT_EQ(dt2->date(), QDate(2013, 7, 9));
        EXPECT_TRUE(dt1->calendarPopup());
        EXPECT_EQ(dt1->locale().language(), QLocale::Chinese);
        EXPECT_FALSE(exportOffered());
        const bool payment = k.kind == 2;
        EXPECT_EQ(child<QComboBox>("cboYW")->isVisible(), payment);
        EXPECT_EQ(child<QLabel>("lblYW")->isVisible(), payment);
        if (payment) {
            auto* yw = child<QComboBox>("cboYW");
            ASSERT_EQ(yw->count(), 3);
            EXPECT_EQ(yw->itemText(0), "申报缴税和清零解锁");
            EXPECT_EQ(yw->itemText(2), "清零解锁");
            EXPECT_EQ(yw->currentIndex(), 0);
        }
        // Every control reads as its caption; inputs as their label's.
        EXPECT_EQ(dt1->accessibleName(), "所属期起：");
        EXPECT_EQ(dt2->accessibleName(), "所属期止：");
        EXPECT_EQ(child<QComboBox>("cboYW")->accessibleName(), "业务类型：");
        for (QPushButton* b : window_->findChildren<QPushButton*>())
            EXPECT_EQ(b->accessibleName(), b->text());
        EXPECT_FALSE(grid_->accessibleName().isEmpty());
    }
    // A few widths and alignments of the column tables.
    open(4);
    EXPECT_EQ(grid_->ColWidth(1), 240);
    EXPECT_EQ(grid_->ColWidth(8), 65);
    EXPECT_EQ(grid_->ColWidth(12), 90);
    EXPECT_EQ(grid_->ColAlignment(9), orv::cellRightCenter);
    open(5);
    EXPECT_EQ(grid_->ColAlignment(1), orv::cellCenterCenter);
    EXPECT_EQ(grid_->ColAlignment(20), orv::cellLeftCenter);
    EXPECT_EQ(grid_->ColWidth(3), orv::GridModel::kDefaultColWidth);
}

TEST_F(QueryWindowTest, TheGridFillsTheWindowBelowThePanel) {
    open(1);
    window_->resize(900, 500);
    QApplication::processEvents();
    auto* top = child<QWidget>("picTop");
    EXPECT_EQ(grid_->x(), 0);
    EXPECT_EQ(grid_->y(), top->height() + 1);
    EXPECT_EQ(grid_->width(), window_->width());
    EXPECT_EQ(grid_->height(), window_->height() - top->height() - 1);
}

TEST_F(QueryWindowTest, CopyTaxRecordsOfOneDayNewestFirst) {
    const qint64 a = operation(day(2012, 3, 5), 1, 0, 0);
    const qint64 b = operation(day(2012, 3, 5), 2, 0, 0);
    operation(day(2012, 3, 6), 1, 0, 0);
    operation(day(2012, 3, 5), 0, 1, 0);  // no copy-tax part
    // Later than midnight on the end day, and no name at all.
    exec(
        "insert into sbjs (nsrbm, jyrq, jylsh, jg1) values "
        "('X', '2012-03-05 10:00:00', 'T', 1)");
    exec(
        "insert into sbjs (nsrbm, nsrmc, jyrq, jylsh, jg1) values "
        "('1101082012345678', null, '2012-03-05', '0000000000000099', 3)");
    open(1);
    query(QDate(2012, 3, 5), QDate(2012, 3, 5));
    ASSERT_EQ(grid_->Rows(), 3);
    EXPECT_EQ(row(1), (QStringList{"", "1101082012345678", "抄报税", "2012-03-05", "未知",
                                   "0000000000000099"}));
    const QString name = QString::fromStdString(cardsim::realisticSpec().unitName);
    EXPECT_EQ(row(2), (QStringList{name, "1101082012345678", "抄报税", "2012-03-05", "失败",
                                   QStringLiteral("%1").arg(2, 16, 10, QLatin1Char('0'))}));
    EXPECT_EQ(row(3)[4], "成功");
    EXPECT_LT(a, b);
    EXPECT_TRUE(exportOffered());
    // With the next day as the end, the record stored with a time of day on
    // the 5th is inside, and shows its day.
    query(QDate(2012, 3, 5), QDate(2012, 3, 6));
    ASSERT_EQ(grid_->Rows(), 5);
    EXPECT_EQ(cell(2, 2), "X");
    EXPECT_EQ(cell(2, 4), "2012-03-05");
    EXPECT_EQ(cell(3, 4), "2012-03-06");
}

TEST_F(QueryWindowTest, PaymentRecordsFollowTheTwoRowRule) {
    operation(day(2012, 4, 2), 0, 1, 1);  // A: both
    operation(day(2012, 4, 2), 0, 2, 0);  // B: declaration only
    operation(day(2012, 4, 3), 0, 0, 3);  // C: unlock with a code of 3
    operation(day(2012, 4, 3), 1, 0, 0);  // copy-tax only: never shown here
    exec("insert into sbjs (nsrbm, jyrq, jylsh, jg2, jg3) values ('N', '2012-04-03', 'S', 0, 0)");
    open(2);
    const QString name = QString::fromStdString(cardsim::realisticSpec().unitName);
    query(QDate(2012, 4, 1), QDate(2012, 4, 30));
    ASSERT_EQ(grid_->Rows(), 4);
    EXPECT_EQ(row(1), (QStringList{name, "1101082012345678", "清零解锁", "", "2012-04-03", "", "",
                                   "未知"}));
    EXPECT_EQ(row(2), (QStringList{name, "1101082012345678", "申报缴税", "0.00", "2012-04-02",
                                   "2012-03-01", "2012-03-31", "失败"}));
    EXPECT_EQ(row(3), (QStringList{name, "1101082012345678", "申报缴税", "12.50", "2012-04-02",
                                   "2012-03-01", "2012-03-31", "成功"}));
    EXPECT_EQ(row(4), (QStringList{name, "1101082012345678", "清零解锁", "", "2012-04-02", "", "",
                                   "成功"}));
    business(1);
    query(QDate(2012, 4, 1), QDate(2012, 4, 30));
    ASSERT_EQ(grid_->Rows(), 2);
    EXPECT_EQ(cell(1, 8), "失败");
    EXPECT_EQ(cell(2, 8), "成功");
    business(2);
    query(QDate(2012, 4, 1), QDate(2012, 4, 30));
    ASSERT_EQ(grid_->Rows(), 2);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(cell(r, 3), "清零解锁");
        EXPECT_EQ(cell(r, 4), "");
        EXPECT_EQ(cell(r, 6), "");
        EXPECT_EQ(cell(r, 7), "");
    }
    EXPECT_EQ(cell(1, 8), "未知");
    EXPECT_EQ(cell(2, 8), "成功");
}

TEST_F(QueryWindowTest, SummariesShowWhenEitherDateIsInTheRange) {
    operation(day(2012, 4, 2), 1, 0, 0);  // two summaries, 2012-03-01 to 2012-03-31
    open(3);
    query(QDate(2012, 3, 15), QDate(2012, 4, 30));  // the start lies before the range
    ASSERT_EQ(grid_->Rows(), 2);
    const QList<QSqlRecord> rows = stored("select * from ef04 order by id");
    ASSERT_EQ(rows.size(), 2);
    for (int r = 1; r <= 2; ++r) {
        SCOPED_TRACE(r);
        const QSqlRecord& s = rows[r - 1];
        EXPECT_EQ(cell(r, 1), s.value("nsrmc").toString());
        EXPECT_EQ(cell(r, 2), s.value("hzbz").toString());
        EXPECT_EQ(cell(r, 3), s.value("skkbh").toString());
        EXPECT_EQ(cell(r, 4), "2012-03-01");
        EXPECT_EQ(cell(r, 5), "2012-03-31");
        EXPECT_EQ(cell(r, 6), s.value("zcfpfs").toString());
        EXPECT_EQ(cell(r, 10), QString::number(s.value("zcfpje1").toDouble(), 'f', 2));
        EXPECT_EQ(cell(r, 22), QString::number(s.value("zcfpzje").toDouble(), 'f', 2));
        EXPECT_EQ(cell(r, 26), s.value("sign1").toString() + s.value("sign2").toString());
        EXPECT_EQ(cell(r, 26).size(), 256);
    }
    query(QDate(2012, 2, 1), QDate(2012, 3, 1));  // the end lies after it
    EXPECT_EQ(grid_->Rows(), 2);
    query(QDate(2012, 4, 1), QDate(2012, 4, 30));
    EXPECT_EQ(grid_->Rows(), 0);
    EXPECT_EQ(cell(0, 2), "汇总标志");  // the header stays
    EXPECT_FALSE(exportOffered());
}

TEST_F(QueryWindowTest, InvoiceNumbersArePaddedToEightDigits) {
    exec(
        "insert into ef06 (skjbh, fpdm, fpqsh, fpzzh, zcfpfs, tpfs, fpfs, zcfpzje, tpzje, "
        "kpqssj, kpjzsj, cbid, nsrmc) values "
        "('0102030405060708', '11100112', 123, 45678901, 5, 1, 0, 1234.5, -0.001, "
        "'2012-02-20', '2012-03-02', 7, null)");
    exec(
        "insert into ef06 (fpqsh, fpzzh, kpqssj, kpjzsj, cbid, nsrmc) values "
        "(1, 2, '2012-03-20', '2012-04-05', 6, '乙')");
    exec(
        "insert into ef06 (fpqsh, fpzzh, kpqssj, kpjzsj, cbid, nsrmc) values "
        "(1, 2, '2012-01-20', '2012-02-05', 8, '丙')");
    open(4);
    query(QDate(2012, 3, 1), QDate(2012, 3, 31));
    ASSERT_EQ(grid_->Rows(), 2);
    EXPECT_EQ(row(1), (QStringList{"", "0102030405060708", "11100112", "00000123", "45678901", "5",
                                   "1", "0", "1234.50", "0.00", "2012-02-20", "2012-03-02"}));
    EXPECT_EQ(cell(2, 1), "乙");
    EXPECT_EQ(cell(2, 4), "00000001");
    EXPECT_EQ(cell(2, 9), "");  // null values other than the name show empty too
}

TEST_F(QueryWindowTest, DailyRecordsOfADayFromEveryMachine) {
    operation(day(2012, 4, 2), 1, 0, 0);  // 2 machines x 31 days
    exec("insert into ef09 (skjbh, kprq, cbid, nsrmc) values ('FF', '2012-03-10', 0, null)");
    open(5);
    query(QDate(2012, 3, 1), QDate(2012, 3, 31));
    EXPECT_EQ(grid_->Rows(), 63);
    query(QDate(2012, 3, 10), QDate(2012, 3, 10));
    ASSERT_EQ(grid_->Rows(), 3);
    const QList<QSqlRecord> rows =
        stored("select * from ef09 where kprq = '2012-03-10' and cbid > 0 order by id");
    ASSERT_EQ(rows.size(), 2);
    for (int r = 1; r <= 2; ++r) {
        SCOPED_TRACE(r);
        const QSqlRecord& s = rows[r - 1];
        EXPECT_EQ(cell(r, 1), QString::fromStdString(cardsim::realisticSpec().unitName));
        EXPECT_EQ(cell(r, 2), s.value("skjbh").toString());
        EXPECT_EQ(cell(r, 3), "2012-03-10");
        EXPECT_EQ(cell(r, 4), s.value("zcfpfs").toString());
        EXPECT_EQ(cell(r, 7), s.value("szsm").toString());
        EXPECT_EQ(cell(r, 8), QString::number(s.value("zcfpje1").toDouble(), 'f', 2));
        EXPECT_EQ(cell(r, 19), QString::number(s.value("tpje6").toDouble(), 'f', 2));
        EXPECT_EQ(cell(r, 20), s.value("sign1").toString() + s.value("sign2").toString());
    }
    EXPECT_EQ(cell(3, 1), "");  // the older operation (cbid 0) after, with no name
    EXPECT_EQ(cell(3, 4), "");
}

TEST_F(QueryWindowTest, AStartAfterTheEndIsRefused) {
    operation(day(2012, 3, 5), 1, 0, 0);
    open(1);
    query(QDate(2012, 3, 1), QDate(2012, 3, 31));
    ASSERT_EQ(grid_->Rows(), 1);
    query(QDate(2012, 3, 6), QDate(2012, 3, 5));
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "起始时间不能大于终止时间！");
    EXPECT_EQ(shown[0].caption, "提示");
    EXPECT_EQ(shown[0].icon, MessageBox::Icon::Exclamation);
    EXPECT_EQ(grid_->Rows(), 1);  // unchanged
    EXPECT_TRUE(exportOffered());
}

TEST_F(QueryWindowTest, ADatabaseErrorIsShownAndLogged) {
    operation(day(2012, 3, 5), 1, 0, 0);
    open(5);
    query(QDate(2012, 3, 1), QDate(2012, 3, 31));
    ASSERT_EQ(grid_->Rows(), 62);
    exec("drop table ef09");
    query(QDate(2012, 3, 1), QDate(2012, 3, 31));
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].caption, "错误");
    // The program's words for the user; SQLite's only in the log.
    EXPECT_EQ(shown[0].text, "查询记录时出错：" + orv::kRecordsUnreadable);
    EXPECT_TRUE(logText().contains("查询出错（日交易记录查询")) << logText().toStdString();
    EXPECT_TRUE(logText().contains("no such table")) << logText().toStdString();
    EXPECT_TRUE(logText().contains("select * from ef09"));
    EXPECT_EQ(grid_->Rows(), 62);  // what was shown stays
}

TEST_F(QueryWindowTest, ExportFollowsTheChosenNamesLastThreeCharacters) {
    operation(day(2012, 3, 5), 1, 0, 0);
    open(1);
    query(QDate(2012, 3, 1), QDate(2012, 3, 31));
    ASSERT_TRUE(exportOffered());
    auto* cmdExport = child<QPushButton>("cmdExport");
    auto exportAs = [&](const std::string& name) {
        FileDialog::setNextFileName(QString::fromStdString(dir_.file(name)));
        QTest::mouseClick(cmdExport, Qt::LeftButton);
        const auto dialogs = FileDialog::takeShown();
        EXPECT_EQ(dialogs.size(), 1);
        if (!dialogs.isEmpty()) {
            EXPECT_EQ(dialogs[0].filters,
                      "Excel文件 (*.xls);;CSV(逗号分隔) (*.csv);;文本文件(制表符分隔) (*.txt)");
            EXPECT_EQ(dialogs[0].defaultSuffix, "xls");
        }
        const auto shown = MessageBox::takeShown();
        EXPECT_EQ(shown.size(), 1);
        if (!shown.isEmpty()) {
            EXPECT_EQ(shown[0].text, "数据已导出到：" + QString::fromStdString(dir_.file(name)));
        }
        return orvtest::readFile(dir_.file(name));
    };
    // "纳税人名称" in GBK, then the next header.
    const std::string header = "\xC4\xC9\xCB\xB0\xC8\xCB\xC3\xFB\xB3\xC6";
    EXPECT_EQ(exportAs("r.csv").substr(0, header.size() + 1), header + ",");
    EXPECT_EQ(exportAs("r.CSV").substr(0, header.size() + 1), header + "\t");
    EXPECT_EQ(exportAs("r.txt").substr(0, header.size() + 1), header + "\t");
    EXPECT_EQ(exportAs("r.xls").substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    // Cancel: nothing written, nothing shown.
    QTest::mouseClick(cmdExport, Qt::LeftButton);
    EXPECT_EQ(FileDialog::takeShown().size(), 1);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(QueryWindowTest, ExitClosesTheWindow) {
    open(3);
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    EXPECT_FALSE(window_->isVisible());
}

TEST(ResultText, CodesAsThirtyTwoBitIntegers) {
    EXPECT_EQ(orv::ResultText(0), "未执行");
    EXPECT_EQ(orv::ResultText(1), "成功");
    EXPECT_EQ(orv::ResultText(2), "失败");
    EXPECT_EQ(orv::ResultText(3), "未知");
    EXPECT_EQ(orv::ResultText(-1), "未知");
    EXPECT_EQ(orv::ResultText(QString("1")), "成功");
    EXPECT_EQ(orv::ResultText(1.4), "成功");
    EXPECT_EQ(orv::ResultText(2.5), "失败");  // half to even, as a conversion to Long
    EXPECT_EQ(orv::ResultText(QVariant(qint64(1) << 32 | 1)), "未知");
    EXPECT_EQ(orv::ResultText(QString("x")), "未知");
    EXPECT_EQ(orv::ResultText(QVariant()), "未知");
}

TEST(ValueForms, NullsAndOddValues) {
    EXPECT_EQ(orv::NullToStr(QVariant()), "");
    EXPECT_EQ(orv::NullToStr(QVariant(QMetaType::fromType<QString>())), "");
    EXPECT_EQ(orv::NullToStr(QString("甲")), "甲");
    EXPECT_EQ(orv::dateText(QString("2012-03-05")), "2012-03-05");
    EXPECT_EQ(orv::dateText(QString("2012-03-05 23:59:59")), "2012-03-05");
    EXPECT_EQ(orv::dateText(QString("20120305")), "20120305");
    EXPECT_EQ(orv::dateText(QVariant()), "");
    EXPECT_EQ(orv::moneyText(1234.5), "1234.50");
    EXPECT_EQ(orv::moneyText(-0.01), "-0.01");
    EXPECT_EQ(orv::moneyText(-0.001), "0.00");
    EXPECT_EQ(orv::moneyText(QString("abc")), "abc");
    EXPECT_EQ(orv::number8Text(123), "00000123");
    EXPECT_EQ(orv::number8Text(-5), "-00000005");
    EXPECT_EQ(orv::number8Text(123456789), "123456789");
    EXPECT_EQ(orv::number8Text(QVariant()), "");
}

TEST(QueryStatements, KeepTheirConditionsAndTakeTheDatesAsParameters) {
    EXPECT_EQ(orv::queryStatement(1),
              "select * from sbjs where jg1<>0 and jyrq  between ? and ? order by id desc");
    EXPECT_EQ(orv::queryStatement(2, 0),
              "select * from sbjs where (jg2<>0 or jg3<>0) and jyrq  "
              "between ? and ? order by id desc");
    EXPECT_TRUE(orv::queryStatement(2, 1).contains("where (jg2<>0) and"));
    EXPECT_TRUE(orv::queryStatement(2, 2).contains("where (jg3<>0) and"));
    EXPECT_TRUE(
        orv::queryStatement(5).startsWith("select * from ef09 where  kprq between ? and ?"));
    EXPECT_EQ(orv::queryStatement(9), "");
}

// Regression: in the query window's dialog, choosing "CSV(逗号分隔) (*.csv)"
// and typing a bare name gave name.xls, a workbook: the suffix added stayed
// the first filter's.
TEST(SaveDialog, ABareNameTakesTheChosenFiltersSuffix) {
    orvtest::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    QFileDialog dialog;
    FileDialog::prepareSave(dialog, orv::qtFilters(orv::queryExportFilter()), "xls");
    dialog.setDirectory(folder);
    dialog.show();
    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);  // Qt's own dialog, which adds the suffix before it asks
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    ASSERT_EQ(dialog.selectedNameFilter(), "CSV(逗号分隔) (*.csv)");
    dialog.findChild<QLineEdit*>("fileNameEdit")->setText("name");
    QMetaObject::invokeMethod(&dialog, "accept");  // as "保存" does
    EXPECT_EQ(dialog.selectedFiles(),
              QStringList{QDir::fromNativeSeparators(folder) + "/name.csv"});
    EXPECT_EQ(FileDialog::suffixOf("文本文件(制表符分隔) (*.txt)"), "txt");
    EXPECT_EQ(FileDialog::suffixOf("All (*)"), "");
}

}  // namespace
