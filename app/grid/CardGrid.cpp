#include "grid/CardGrid.h"

#include <QColor>
#include <QStringList>

#include "card/CardData.h"
#include "card/CardRecords.h"
#include "grid/GridModel.h"

namespace orv {

namespace {

using namespace card;

// The grid shows up to 300 invoice rolls a machine; the database keeps 200.
constexpr int kShownInvoiceRolls = 300;

void setCaptions(GridModel& g, int row, const QStringList& captions) {
    for (int i = 0; i < captions.size(); ++i)
        g.setText(row, i + 1, captions[i]);
}

void setRowCaptions(GridModel& g, const QStringList& captions) {
    for (int i = 0; i < captions.size(); ++i)
        g.setText(i + 1, 1, captions[i]);
}

void setAlignment(GridModel& g, std::initializer_list<int> cols, int alignment) {
    for (int c : cols)
        g.setColAlignment(c, alignment);
}

QStringList numbered(const QString& stem) {
    QStringList out;
    for (int k = 1; k <= 6; ++k)
        out << stem + QString::number(k);
    return out;
}

QString num(qint64 v) {
    return QString::number(v);
}

void appendAmounts(QStringList& row, const std::array<qint64, 6>& fen) {
    for (qint64 v : fen)
        row << amountText(v);
}

void initValueTable(GridModel& g, const QStringList& rowCaptions) {
    g.setCols(2);
    g.setRows(static_cast<int>(rowCaptions.size()));
    setCaptions(g, 0, {QStringLiteral("项目"), QStringLiteral("值")});
    setRowCaptions(g, rowCaptions);
    g.setColWidth(1, 200);
    g.setColWidth(2, 400);
}

QStringList summaryCaptions() {
    QStringList c{QStringLiteral(" 汇总标志"),     QStringLiteral(" TSAM注册号"),
                  QStringLiteral(" 税款起始日期"), QStringLiteral(" 税款截止日期"),
                  QStringLiteral(" 正常发票份数"), QStringLiteral(" 退票份数"),
                  QStringLiteral(" 废票份数"),     QStringLiteral(" 税种税目")};
    c << numbered(QStringLiteral(" 发票金额")) << numbered(QStringLiteral(" 退票金额"));
    c << QStringLiteral(" 正常票总金额") << QStringLiteral(" 退票总金额")
      << QStringLiteral(" 状态字") << QStringLiteral(" 申报数据MAC") << QStringLiteral(" 电子签名");
    return c;
}

void initInvoiceUsage(GridModel& g) {
    g.setCols(11);
    g.setRows(200);
    setCaptions(
        g, 0,
        {QStringLiteral(" 机器编号"), QStringLiteral(" 发票代码"), QStringLiteral(" 发票起始号"),
         QStringLiteral(" 发票终止号"), QStringLiteral(" 正常发票份数"),
         QStringLiteral(" 退票份数"), QStringLiteral(" 废票份数"),
         QStringLiteral(" 正常发票总金额"), QStringLiteral(" 退票总金额"),
         QStringLiteral(" 开票起始时间"), QStringLiteral(" 开票截止时间")});
    setAlignment(g, {1, 2, 3, 4, 10, 11}, cellCenterCenter);
    setAlignment(g, {5, 6, 7, 8, 9}, cellRightCenter);
    for (int c = 1; c <= 11; ++c)
        g.setColWidth(c, 90);
    const int widths[] = {120, 130, 80, 80};
    for (int c = 1; c <= 4; ++c)
        g.setColWidth(c, widths[c - 1]);
    g.setColWidth(6, 80);
    g.setColWidth(7, 80);
    g.setColWidth(8, 100);
}

void initDailyRecords(GridModel& g) {
    g.setCols(19);
    g.setRows(200);
    QStringList c{QStringLiteral("机器编号"),     QStringLiteral("开票日期"),
                  QStringLiteral("正常发票份数"), QStringLiteral("退票份数"),
                  QStringLiteral("废票份数"),     QStringLiteral("税种税目")};
    c << numbered(QStringLiteral("发票金额")) << numbered(QStringLiteral("退票金额"))
      << QStringLiteral("日汇总签名");
    setCaptions(g, 0, c);
    for (int col = 1; col <= 18; ++col)
        g.setColAlignment(col, cellRightCenter);
    setAlignment(g, {1, 2, 6}, cellCenterCenter);
    g.setColAlignment(19, cellLeftCenter);
    g.setColWidth(1, 110);
}

void showBasicInfo(GridModel& g, const CardData& card) {
    const Ef02 e = parseEf02(card.ef02);
    g.setText(1, 2, e.nsrbm);
    g.setText(2, 2, e.dwmc);
}

QStringList summaryValues(const Ef04& e) {
    QStringList v{e.hzbz,        e.skkbh,     e.sjqsrq,    e.sjjzrq,
                  num(e.zcfpfs), num(e.tpfs), num(e.fpfs), e.szsm};
    appendAmounts(v, e.zcfpje);
    appendAmounts(v, e.tpje);
    v << amountText(e.zcfpzje) << amountText(e.tpzje) << e.ztz << e.mac << e.sign1 + e.sign2;
    return v;
}

// One record a column. The rows are filled whole, once each: setting cell by
// cell repacks the row every time, quadratic in the records.
void showSummaries(GridModel& g, const CardData& card) {
    const QList<Ef04> records = parseEf04(card.ef04);
    g.setCols(static_cast<int>(records.size()) + 1);
    QList<QStringList> columns;
    columns.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        // Every value column as wide as the first one: they hold the same.
        if (i > 0) g.setColWidth(i + 2, g.ColWidth(2));
        columns << summaryValues(records[i]);
    }
    const qsizetype rows = columns.isEmpty() ? 0 : columns.front().size();  // the same for all
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        cells.reserve(columns.size());
        for (const QStringList& c : columns)
            cells << c[r];
        g.setRow(r + 1, cells, 2);
    }
}

// The rows of every machine one after the other (not each machine's rows
// over the one before); n rows in all.
template <typename Fill>
int showGroups(GridModel& g, const QString& text, int subChars, int maxSubs, Fill fill) {
    int n = 0;
    for (const Group& group : splitGroups(text, subChars, maxSubs)) {
        for (const QString& sub : group.subs) {
            ++n;
            if (n > g.Rows()) g.setRows(n);
            g.setRow(n, fill(group.skjbh, sub));
        }
    }
    return n;
}

int showInvoiceUsage(GridModel& g, const CardData& card) {
    return showGroups(
        g, card.ef06, kInvoiceRollChars, kShownInvoiceRolls,
        [](const QString& skjbh, const QString& sub) {
            const InvoiceRoll r = parseInvoiceRoll(sub);
            return QStringList{
                skjbh,       r.fpdm,      num(r.fpqsh),          num(r.fpzzh),        num(r.zcfpfs),
                num(r.tpfs), num(r.fpfs), amountText(r.zcfpzje), amountText(r.tpzje), r.kpqssj,
                r.kpjzsj};
        });
}

int showDailyRecords(GridModel& g, const CardData& card) {
    return showGroups(g, card.ef09, kDailyRecordChars, kMaxSubRecords,
                      [](const QString& skjbh, const QString& sub) {
                          const DailyRecord d = parseDailyRecord(sub);
                          QStringList row{skjbh,       d.kprq,      num(d.zcfpfs),
                                          num(d.tpfs), num(d.fpfs), d.szsm};
                          appendAmounts(row, d.zcfpje);
                          appendAmounts(row, d.tpje);
                          row << d.sign1 + d.sign2;
                          return row;
                      });
}

}  // namespace

void ClearGridLayout(GridModel& g) {
    g.setColWidth(0, 24);
    g.setBackColor1(QColor(231, 235, 247));
    g.setBackColor2(QColor(239, 243, 255));
    g.setGridColor(QColor(148, 190, 231));
    g.setRows(0);
    g.setCols(0);
}

void InitCardGrid(GridModel& g, int kind) {
    ClearGridLayout(g);
    switch (kind) {
        case 1:
            initValueTable(g, {QStringLiteral("纳税人编码"), QStringLiteral("单位名称")});
            break;
        case 2:
            initValueTable(g, summaryCaptions());
            break;
        case 3:
            initInvoiceUsage(g);
            break;
        case 4:
            initDailyRecords(g);
            break;
        default:
            g.setCols(20);
            g.setRows(30);
            break;
    }
}

int ShowICInfo(GridModel& g, int kind, const CardData& card) {
    InitCardGrid(g, kind);
    int shown = 0;
    switch (kind) {
        case 1:
            showBasicInfo(g, card);
            return g.Rows();
        case 2:
            showSummaries(g, card);
            return g.Rows();
        case 3:
            shown = showInvoiceUsage(g, card);
            break;
        case 4:
            shown = showDailyRecords(g, card);
            break;
        default:
            return 0;
    }
    // Only the rows that hold records, so that an export writes no empty
    // rows after them.
    g.setRows(shown);
    return shown;
}

}  // namespace orv
