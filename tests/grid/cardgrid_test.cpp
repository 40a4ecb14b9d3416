// The card-data layouts of the main window's grid, cell by cell against the
// bytes the card builder wrote, and against hand-made records where the
// builder does not go.
#include <gtest/gtest.h>

#include "appcard.h"
#include "cardbytes.h"
#include "grid/CardGrid.h"
#include "grid/GridModel.h"
#include "orv/hex.h"

namespace {

using cardsim::Bytes;
using orv::GridModel;
using orvtest::dateOf;
using orvtest::hexOf;
using orvtest::intOf;
using orvtest::moneyOf;
using orvtest::numOf;

// The used records of a record file (the builder marks the rest with FF).
std::vector<Bytes> used(const cardsim::Card& card, uint16_t file) {
    std::vector<Bytes> out;
    for (const Bytes& r : card.files.at(file).records)
        if (orvtest::usedRecord(r)) out.push_back(r);
    return out;
}

struct SubRecord {
    Bytes machine;  // the EF06/EF09 record
    Bytes sub;
};

// Every machine's sub-records in card order, at most `limit` a machine.
std::vector<SubRecord> subRecords(const cardsim::Card& card, uint16_t file, std::size_t limit) {
    std::vector<SubRecord> out;
    for (const Bytes& m : used(card, file)) {
        std::vector<Bytes> subs = used(card, static_cast<uint16_t>(m[16] << 8 | m[17]));
        if (subs.size() > limit) subs.resize(limit);
        for (const Bytes& s : subs)
            out.push_back({m, s});
    }
    return out;
}

QStringList rowOf(const GridModel& g, int row) {
    QStringList cells;
    for (int c = 1; c <= g.Cols(); ++c)
        cells << g.Text(row, c);
    return cells;
}

QStringList captionsOf(const GridModel& g) {
    return rowOf(g, 0);
}

cardsim::CardSpec machines(std::vector<cardsim::MachineSpec> m) {
    cardsim::CardSpec s = cardsim::realisticSpec();
    s.machines = std::move(m);
    return s;
}

TEST(InitCardGrid, ClearsAndLaysOutEachKind) {
    GridModel g;
    g.setCols(30);
    g.setRows(40);
    g.setText(0, 0, "corner");
    g.setText(5, 0, "fixed");
    g.setText(7, 25, "old");
    g.setColWidth(1, 999);
    g.setColAlignment(1, orv::cellRightCenter);

    orv::InitCardGrid(g, 1);
    EXPECT_EQ(g.ColWidth(0), 24);
    EXPECT_EQ(g.BackColor1(), QColor(231, 235, 247));
    EXPECT_EQ(g.BackColor2(), QColor(239, 243, 255));
    EXPECT_EQ(g.GridColor(), QColor(148, 190, 231));
    EXPECT_EQ(g.Text(0, 0), "");
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(captionsOf(g), (QStringList{"项目", "值"}));
    EXPECT_EQ(g.Text(1, 1), "纳税人编码");
    EXPECT_EQ(g.Text(2, 1), "单位名称");
    EXPECT_EQ(g.ColWidth(1), 200);
    EXPECT_EQ(g.ColWidth(2), 400);
    EXPECT_EQ(g.ColAlignment(1), orv::cellLeftCenter);

    orv::InitCardGrid(g, 2);
    EXPECT_EQ(g.Rows(), 25);
    EXPECT_EQ(g.Cols(), 2);
    QStringList rows;
    for (int r = 1; r <= 25; ++r)
        rows << g.Text(r, 1);
    EXPECT_EQ(rows,
              (QStringList{
                  " 汇总标志",     " TSAM注册号", " 税款起始日期", " 税款截止日期", " 正常发票份数",
                  " 退票份数",     " 废票份数",   " 税种税目",     " 发票金额1",    " 发票金额2",
                  " 发票金额3",    " 发票金额4",  " 发票金额5",    " 发票金额6",    " 退票金额1",
                  " 退票金额2",    " 退票金额3",  " 退票金额4",    " 退票金额5",    " 退票金额6",
                  " 正常票总金额", " 退票总金额", " 状态字",       " 申报数据MAC",  " 电子签名"}));
    EXPECT_EQ(g.ColWidth(2), 400);

    orv::InitCardGrid(g, 3);
    EXPECT_EQ(g.Rows(), 200);
    EXPECT_EQ(g.Cols(), 11);
    EXPECT_EQ(captionsOf(g),
              (QStringList{" 机器编号", " 发票代码", " 发票起始号", " 发票终止号", " 正常发票份数",
                           " 退票份数", " 废票份数", " 正常发票总金额", " 退票总金额",
                           " 开票起始时间", " 开票截止时间"}));
    const int widths3[] = {120, 130, 80, 80, 90, 80, 80, 100, 90, 90, 90};
    const int align3[] = {10, 10, 10, 10, 14, 14, 14, 14, 14, 10, 10};
    for (int c = 1; c <= 11; ++c) {
        EXPECT_EQ(g.ColWidth(c), widths3[c - 1]) << c;
        EXPECT_EQ(g.ColAlignment(c), align3[c - 1]) << c;
    }
    EXPECT_EQ(g.Text(5, 0), "");

    orv::InitCardGrid(g, 4);
    EXPECT_EQ(g.Rows(), 200);
    EXPECT_EQ(g.Cols(), 19);
    EXPECT_EQ(captionsOf(g),
              (QStringList{"机器编号", "开票日期", "正常发票份数", "退票份数", "废票份数",
                           "税种税目", "发票金额1", "发票金额2", "发票金额3", "发票金额4",
                           "发票金额5", "发票金额6", "退票金额1", "退票金额2", "退票金额3",
                           "退票金额4", "退票金额5", "退票金额6", "日汇总签名"}));
    for (int c = 1; c <= 19; ++c) {
        const int want = c == 1 || c == 2 || c == 6 ? 10 : c == 19 ? 6 : 14;
        EXPECT_EQ(g.ColAlignment(c), want) << c;
        EXPECT_EQ(g.ColWidth(c), c == 1 ? 110 : 80) << c;
    }

    orv::InitCardGrid(g, 9);
    EXPECT_EQ(g.Cols(), 20);
    EXPECT_EQ(g.Rows(), 30);
    EXPECT_EQ(captionsOf(g), QStringList(20, QString()));
    EXPECT_EQ(orv::ShowICInfo(g, 9, orvtest::cardDataFrom(cardsim::realisticSpec())), 0);
}

TEST(ShowICInfo, BasicInformationOfBothEf02Sizes) {
    for (const bool shortEF02 : {false, true}) {
        cardsim::CardSpec spec = cardsim::realisticSpec();
        spec.shortEF02 = shortEF02;
        GridModel g;
        EXPECT_EQ(orv::ShowICInfo(g, 1, orvtest::cardDataFrom(spec)), 2);
        EXPECT_EQ(g.Rows(), 2);
        EXPECT_EQ(g.Text(1, 2), QString::fromStdString(spec.taxpayerCode));
        EXPECT_EQ(g.Text(2, 2), QString::fromStdString(spec.unitName));
        EXPECT_EQ(g.Text(2, 1), "单位名称");
    }
}

TEST(ShowICInfo, ThreeSummariesGiveValueColumnsTwoToFour) {
    const cardsim::CardSpec spec = machines({{}, {}, {}});
    const std::vector<Bytes> records = used(cardsim::build(spec), 0xEF04);
    ASSERT_EQ(records.size(), 3u);
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 2, orvtest::cardDataFrom(spec)), 25);
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.Rows(), 25);
    EXPECT_EQ(g.ColWidth(4), 400);
    for (int i = 0; i < 3; ++i) {
        const Bytes& b = records[static_cast<std::size_t>(i)];
        QStringList want{hexOf(b, 0, 1),  hexOf(b, 1, 8),  dateOf(b, 9),    dateOf(b, 13),
                         numOf(b, 17, 4), numOf(b, 21, 2), numOf(b, 23, 2), hexOf(b, 25, 6)};
        for (std::size_t k = 0; k < 12; ++k)
            want << moneyOf(b, 31 + 4 * k);
        want << moneyOf(b, 79) << moneyOf(b, 83) << hexOf(b, 87, 1) << hexOf(b, 88, 4)
             << hexOf(b, 92, 128);
        for (int r = 1; r <= 25; ++r)
            EXPECT_EQ(g.Text(r, i + 2), want[r - 1]) << "record " << i << " row " << r;
    }
}

// A damaged card's EF04 of thousands of records (here all empty): a column
// each, the captions kept.
TEST(ShowICInfo, ThousandsOfSummariesGiveAColumnEach) {
    orv::CardData c;
    QStringList pieces(3000, QString());
    pieces.front() = QStringLiteral("01");
    c.ef04 = pieces.join(QStringLiteral("##"));
    GridModel g;
    orv::InitCardGrid(g, 2);
    const QString caption = g.Text(1, 1);
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_EQ(orv::ShowICInfo(g, 2, c), 25);
    EXPECT_EQ(g.Cols(), 3001);
    EXPECT_EQ(g.Text(1, 1), caption);
    EXPECT_EQ(g.Text(1, 2), "01");
    EXPECT_EQ(g.Text(1, 3001), "");
    EXPECT_EQ(g.ColWidth(3001), g.ColWidth(2));
}

void expectInvoiceRows(const GridModel& g, const std::vector<SubRecord>& subs) {
    for (std::size_t n = 0; n < subs.size(); ++n) {
        const Bytes& b = subs[n].sub;
        const QStringList want{hexOf(subs[n].machine, 0, 8),
                               hexOf(b, 0, 10),
                               numOf(b, 10, 4),
                               numOf(b, 14, 4),
                               numOf(b, 18, 1),
                               numOf(b, 19, 1),
                               numOf(b, 20, 1),
                               moneyOf(b, 21),
                               moneyOf(b, 25),
                               dateOf(b, 29),
                               dateOf(b, 33)};
        ASSERT_EQ(rowOf(g, static_cast<int>(n) + 1), want) << "row " << n + 1;
    }
}

TEST(ShowICInfo, InvoiceRollsOfEveryMachineStandTogether) {
    const cardsim::CardSpec spec = machines({{3}, {5}, {2}});
    const std::vector<SubRecord> subs = subRecords(cardsim::build(spec), 0xEF06, 300);
    ASSERT_EQ(subs.size(), 10u);
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 3, orvtest::cardDataFrom(spec)), 10);
    EXPECT_EQ(g.Rows(), 10);
    expectInvoiceRows(g, subs);
    EXPECT_NE(g.Text(3, 1), g.Text(4, 1));  // the second machine starts at row 4
    EXPECT_NE(g.Text(8, 1), g.Text(9, 1));
}

TEST(ShowICInfo, AtMost300InvoiceRollsAMachine) {
    const cardsim::CardSpec spec = machines({{301}, {2}});
    const std::vector<SubRecord> subs = subRecords(cardsim::build(spec), 0xEF06, 300);
    ASSERT_EQ(subs.size(), 302u);
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 3, orvtest::cardDataFrom(spec)), 302);
    EXPECT_EQ(g.Rows(), 302);  // beyond the 200 rows laid out first
    expectInvoiceRows(g, subs);
}

void expectDailyRows(const GridModel& g, const std::vector<SubRecord>& subs) {
    for (std::size_t n = 0; n < subs.size(); ++n) {
        const Bytes& b = subs[n].sub;
        QStringList want{hexOf(subs[n].machine, 0, 8),
                         dateOf(b, 0),
                         numOf(b, 4, 2),
                         numOf(b, 6, 2),
                         numOf(b, 8, 2),
                         hexOf(b, 10, 6)};
        for (std::size_t k = 0; k < 12; ++k)
            want << moneyOf(b, 16 + 4 * k);
        want << hexOf(b, 64, 128);
        ASSERT_EQ(rowOf(g, static_cast<int>(n) + 1), want) << "row " << n + 1;
    }
}

TEST(ShowICInfo, DailyRecordsOfEveryMachineStandTogether) {
    const cardsim::CardSpec spec = machines({{1, 31}, {1, 4}, {1, 7}});
    const std::vector<SubRecord> subs = subRecords(cardsim::build(spec), 0xEF09, 200);
    ASSERT_EQ(subs.size(), 42u);
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 4, orvtest::cardDataFrom(spec)), 42);
    EXPECT_EQ(g.Rows(), 42);
    expectDailyRows(g, subs);
    EXPECT_NE(g.Text(31, 1), g.Text(32, 1));
}

TEST(ShowICInfo, AtMost200DailyRecordsAMachine) {
    const cardsim::CardSpec spec = machines({{1, 250}, {1, 3}});
    const std::vector<SubRecord> subs = subRecords(cardsim::build(spec), 0xEF09, 200);
    ASSERT_EQ(subs.size(), 203u);
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 4, orvtest::cardDataFrom(spec)), 203);
    expectDailyRows(g, subs);
}

// Hand-made records: all-F amounts and a cut-short last slice.
TEST(ShowICInfo, AllFAmountsShowMinusOneFenAndAShortSliceIsNotShown) {
    const QString head = "4990100000123451" + QString("00").repeated(8) + "0601";
    const QString roll =
        "11100112012000000001"
        "000186A0"
        "00018703"
        "5A0102"
        "FFFFFFFF"
        "0000007B"
        "20120301"
        "20120302";
    ASSERT_EQ(roll.size(), 74);
    orv::CardData card;
    card.ef06 = head + "|" + roll + roll + roll.left(73);
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 3, card), 2);
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(rowOf(g, 2),
              (QStringList{"4990100000123451", "11100112012000000001", "100000", "100099", "90",
                           "1", "2", "-0.01", "1.23", "2012-03-01", "2012-03-02"}));

    QString day =
        "20110828"
        "0028"
        "FFFF"
        "0001"
        "010203040506";
    day += "FFFFFFFF" + QString("00000001").repeated(11);
    day += QString("AB").repeated(128);
    ASSERT_EQ(day.size(), 384);
    card.ef09 = head + "|" + day + day.left(383);
    EXPECT_EQ(orv::ShowICInfo(g, 4, card), 1);
    EXPECT_EQ(g.Text(1, 2), "2011-08-28");
    EXPECT_EQ(g.Text(1, 3), "40");
    EXPECT_EQ(g.Text(1, 4), "-1");
    EXPECT_EQ(g.Text(1, 7), "-0.01");
    EXPECT_EQ(g.Text(1, 18), "0.01");
    EXPECT_EQ(g.Text(1, 19), QString("AB").repeated(128));

    QString summary = QString("00").repeated(220);
    summary.replace(2 * 55, 8, "FFFFFFFF");  // tpje1
    card.ef04 = summary;
    EXPECT_EQ(orv::ShowICInfo(g, 2, card), 25);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.Text(15, 2), "-0.01");
    EXPECT_EQ(g.Text(9, 2), "0.00");
}

TEST(ShowICInfo, AFileWithoutRecordsShowsNoRows) {
    orv::CardData card;
    GridModel g;
    EXPECT_EQ(orv::ShowICInfo(g, 3, card), 0);
    EXPECT_EQ(g.Rows(), 0);
    EXPECT_EQ(g.Text(0, 1), " 机器编号");  // the captions stay
    card.ef09 = "4990100000123451" + QString("00").repeated(10) + "|";
    EXPECT_EQ(orv::ShowICInfo(g, 4, card), 0);
    EXPECT_EQ(orv::ShowICInfo(g, 2, card), 25);
    EXPECT_EQ(g.Cols(), 1);  // no summary, no value column
}

}  // namespace
