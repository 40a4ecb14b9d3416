// The grid: its model's counts, texts, widths, alignments and colours, the
// compact rows, and the widget over it (headers, widths, mouse-up, reading
// through accessibility, 100 000 rows).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTest>
#include <cmath>

#include "grid/Grid.h"
#include "grid/GridModel.h"
#include "grid/PackedRow.h"

namespace {

using orv::Grid;
using orv::GridModel;
using orv::PackedRow;

QString display(const GridModel& m, int row, int col) {
    return m.data(m.index(row, col)).toString();
}

TEST(PackedRow, KeepsLatin1AndWideCellsAndDropsTrailingEmpties) {
    PackedRow::Builder b;
    const QString wide = QStringLiteral("北京市海淀区");
    const QString latin1 = QStringLiteral("caf\u00e9 12.34");  // fits Latin-1
    b.add(u"2012-03-01");
    b.add({});
    b.add(wide);
    b.add(latin1);
    b.add({});
    b.add({});
    PackedRow r = b.take();
    EXPECT_EQ(r.cellCount(), 4);
    EXPECT_EQ(r.cell(0), "2012-03-01");
    EXPECT_EQ(r.cell(1), "");
    EXPECT_EQ(r.cell(2), wide);
    EXPECT_EQ(r.cell(3), latin1);
    EXPECT_EQ(r.cell(4), "");
    EXPECT_EQ(r.cell(-1), "");
    EXPECT_EQ(r.cellLength(2), wide.size());
    QString out = QStringLiteral(">");
    r.appendCell(2, out);
    r.appendCell(3, out);
    EXPECT_EQ(out, ">" + wide + latin1);
    EXPECT_EQ(b.take().cellCount(), 0);  // the builder starts again empty

    r.setCell(6, QStringLiteral("末"));
    EXPECT_EQ(r.cellCount(), 7);
    EXPECT_EQ(r.cell(5), "");
    EXPECT_EQ(r.cell(6), "末");
    EXPECT_EQ(r.cell(2), wide);
    r.setCell(2, u"x");
    EXPECT_EQ(r.cell(2), "x");
    EXPECT_EQ(r.cell(3), latin1);
    r.truncate(3);
    EXPECT_EQ(r.cellCount(), 3);
    EXPECT_EQ(r.cell(3), "");
    r.setCell(2, {});
    r.setCell(0, {});
    EXPECT_EQ(r.cellCount(), 0);  // only empties left
}

TEST(GridModel, RowZeroAndColumnZeroAreTheHeaders) {
    GridModel m;
    EXPECT_EQ(m.Rows(), 0);
    EXPECT_EQ(m.Cols(), 0);
    m.setCols(3);
    m.setRows(2);
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.columnCount(), 3);
    m.setText(0, 0, QStringLiteral("角"));
    m.setText(0, 1, QStringLiteral("项目"));
    m.setText(2, 0, QStringLiteral("行2"));
    m.setText(2, 3, QStringLiteral("值"));
    EXPECT_EQ(m.Text(0, 0), "角");
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), "项目");
    EXPECT_EQ(m.headerData(1, Qt::Vertical).toString(), "行2");
    EXPECT_EQ(m.headerData(0, Qt::Vertical).toString(), "");  // no row numbers
    EXPECT_EQ(display(m, 1, 2), "值");
    EXPECT_EQ(display(m, 0, 0), "");

    // Outside the grid: nothing is written, nothing read.
    m.setText(3, 1, QStringLiteral("x"));
    m.setText(1, 4, QStringLiteral("x"));
    m.setText(-1, 1, QStringLiteral("x"));
    EXPECT_EQ(m.Rows(), 2);
    EXPECT_EQ(m.Cols(), 3);
    EXPECT_EQ(m.Text(3, 1), "");
    EXPECT_EQ(m.Text(1, 4), "");
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(GridModel, SettingCountsToZeroClears) {
    GridModel m;
    m.setCols(3);
    m.setRows(3);
    m.setText(0, 0, QStringLiteral("c"));
    m.setText(0, 2, QStringLiteral("h"));
    m.setText(1, 0, QStringLiteral("f"));
    m.setText(3, 3, QStringLiteral("d"));
    m.setColWidth(3, 150);
    m.setColAlignment(3, orv::cellRightCenter);

    m.setRows(0);  // the caption row stays
    EXPECT_EQ(m.Text(0, 2), "h");
    m.setRows(3);
    EXPECT_EQ(m.Text(1, 0), "");
    EXPECT_EQ(m.Text(3, 3), "");

    m.setText(2, 1, QStringLiteral("a"));
    m.setCols(1);  // columns after 1 dropped, with their widths
    m.setCols(3);
    EXPECT_EQ(m.Text(2, 1), "a");
    EXPECT_EQ(m.Text(0, 2), "");
    EXPECT_EQ(m.ColWidth(3), GridModel::kDefaultColWidth);
    EXPECT_EQ(m.ColAlignment(3), orv::cellLeftCenter);

    m.setText(2, 0, QStringLiteral("f"));
    QSignalSpy corner(&m, &GridModel::cornerTextChanged);
    m.setCols(0);  // everything, column 0 and the corner too
    EXPECT_EQ(m.Text(0, 0), "");
    EXPECT_EQ(m.Text(2, 0), "");
    EXPECT_EQ(corner.count(), 1);
    m.setCols(2);
    EXPECT_EQ(m.Text(2, 1), "");
    EXPECT_EQ(m.Rows(), 3);

    m.setRows(-4);
    EXPECT_EQ(m.Rows(), 0);
    m.setCols(GridModel::kMaxCols + 7);
    EXPECT_EQ(m.Cols(), GridModel::kMaxCols);
}

TEST(GridModel, RowsPastTheFilledOnesReadEmpty) {
    GridModel m;
    m.setCols(4);
    m.setRows(5);
    m.setRow(1, {QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(m.Text(1, 2), "b");
    EXPECT_EQ(m.Text(1, 3), "");
    for (int r = 2; r <= 5; ++r)
        for (int c = 0; c <= 4; ++c)
            EXPECT_EQ(m.Text(r, c), "") << r << "," << c;
    EXPECT_EQ(display(m, 4, 3), "");
}

TEST(GridModel, SetRowKeepsColumnZeroAndDropsCellsPastCols) {
    GridModel m;
    m.setCols(2);
    m.setRows(1);
    m.setText(1, 0, QStringLiteral("f"));
    m.setText(1, 2, QStringLiteral("old"));
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    m.setRow(1, {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("past")});
    EXPECT_EQ(m.Text(1, 0), "f");
    EXPECT_EQ(m.Text(1, 1), "x");
    EXPECT_EQ(m.Text(1, 2), "y");
    m.setCols(3);
    EXPECT_EQ(m.Text(1, 3), "");
    ASSERT_EQ(changed.count(), 1);
    m.setRow(1, {QStringLiteral("only")});
    EXPECT_EQ(m.Text(1, 2), "");

    // From a later column on: the columns before keep their texts.
    m.setRow(1, {QStringLiteral("two"), QStringLiteral("three"), QStringLiteral("past")}, 2);
    EXPECT_EQ(m.Text(1, 0), "f");
    EXPECT_EQ(m.Text(1, 1), "only");
    EXPECT_EQ(m.Text(1, 2), "two");
    EXPECT_EQ(m.Text(1, 3), "three");
    m.setRow(1, {QStringLiteral("nowhere")}, 4);  // past the last column
    EXPECT_EQ(m.Text(1, 3), "three");
}

TEST(GridModel, AlternatingBackgroundsAndColumnAlignments) {
    EXPECT_EQ(orv::cellLeftCenter, 6);
    EXPECT_EQ(orv::cellCenterCenter, 10);
    EXPECT_EQ(orv::cellRightCenter, 14);
    GridModel m;
    m.setCols(4);
    m.setRows(3);
    const QColor one(1, 2, 3), two(4, 5, 6);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    m.setBackColor1(one);
    m.setBackColor2(two);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_TRUE(changed[0][2].value<QList<int>>().contains(Qt::BackgroundRole));
    auto back = [&](int row) {
        return m.data(m.index(row, 1), Qt::BackgroundRole).value<QBrush>().color();
    };
    EXPECT_EQ(back(0), one);  // data row 1
    EXPECT_EQ(back(1), two);
    EXPECT_EQ(back(2), one);

    m.setColAlignment(2, orv::cellCenterCenter);
    m.setColAlignment(3, orv::cellRightCenter);
    m.setColAlignment(4, 99);
    auto align = [&](int col) {
        return Qt::Alignment(m.data(m.index(0, col - 1), Qt::TextAlignmentRole).toInt());
    };
    EXPECT_EQ(align(1), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(align(2), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(align(3), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(m.ColAlignment(4), 99);
    EXPECT_EQ(align(4), Qt::AlignLeft | Qt::AlignVCenter);
}

TEST(GridModel, WidthsDefaultTo80AndAreSignalled) {
    GridModel m;
    m.setCols(2);
    EXPECT_EQ(m.ColWidth(0), 80);
    EXPECT_EQ(m.ColWidth(2), 80);
    EXPECT_EQ(m.ColWidth(3), 0);
    QSignalSpy widths(&m, &GridModel::colWidthChanged);
    m.setColWidth(2, 130);
    m.setColWidth(2, 130);  // unchanged: no signal
    m.setColWidth(5, 10);   // no such column
    m.setColWidth(1, -3);
    ASSERT_EQ(widths.count(), 2);
    EXPECT_EQ(widths[0][0].toInt(), 2);
    EXPECT_EQ(widths[0][1].toInt(), 130);
    EXPECT_EQ(m.ColWidth(1), 0);
}

TEST(GridModel, BulkFillAppendsWholeRowsInOneInsert) {
    GridModel m;
    m.setCols(26);
    m.setText(0, 1, QStringLiteral("纳税人名称"));
    auto cell = [](int r, int c) {
        if (c == 1) return QStringLiteral("北京市示例商贸有限公司%1").arg(r);
        if (c == 5) return QString();  // an empty cell inside the row
        if (c == 26) return r % 3 == 0 ? QString() : QString(128, QChar(u'A' + r % 6));
        return QStringLiteral("%1.%2").arg(r).arg(c, 2, 10, QLatin1Char('0'));
    };
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    GridModel::Batch batch;
    batch.reserve(1000);
    for (int r = 1; r <= 1000; ++r) {
        for (int c = 1; c <= 26; ++c)
            batch.add(cell(r, c));
        batch.add(u"past the last column");
        batch.endRow();
    }
    EXPECT_EQ(batch.rows(), 1000);
    m.appendRows(batch);
    EXPECT_EQ(batch.rows(), 0);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 999);
    EXPECT_EQ(m.Rows(), 1000);
    for (int r = 1; r <= 1000; ++r)
        for (int c = 0; c <= 27; ++c)
            ASSERT_EQ(m.Text(r, c), c >= 1 && c <= 26 ? cell(r, c) : QString()) << r << "," << c;
    EXPECT_EQ(m.Text(0, 1), "纳税人名称");

    QString out;
    m.appendText(7, 1, out);
    m.appendText(7, 2, out);
    EXPECT_EQ(out, cell(7, 1) + cell(7, 2));
    EXPECT_EQ(m.appendRow({QStringLiteral("x")}), 1001);
    EXPECT_EQ(m.Text(1001, 1), "x");
}

// A grid shown offscreen, as the main window shows Grid1.
class GridWidget : public ::testing::Test {
protected:
    void SetUp() override {
        grid.resize(600, 400);
        grid.setCols(3);
        grid.setRows(4);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    // A layout width in the pixels of the grid's font.
    int px(int width) const {
        const double unit = std::max(1.0, grid.fontMetrics().horizontalAdvance('0') / 6.0);
        return static_cast<int>(std::lround(width * unit));
    }
    Grid grid;
};

TEST_F(GridWidget, HeadersShowRowZeroAndColumnZero) {
    grid.setText(0, 0, QStringLiteral("角"));
    grid.setText(0, 2, QStringLiteral(" 发票代码"));
    grid.setText(3, 0, QStringLiteral("三"));
    grid.setColWidth(0, 24);
    QApplication::processEvents();
    QAbstractItemModel* shown = grid.horizontalHeader()->model();
    EXPECT_EQ(shown->headerData(1, Qt::Horizontal).toString(), " 发票代码");
    EXPECT_EQ(shown->headerData(2, Qt::Vertical).toString(), "三");
    EXPECT_EQ(grid.horizontalHeader()->count(), 3);
    EXPECT_EQ(grid.verticalHeader()->count(), 4);
    EXPECT_EQ(grid.verticalHeader()->width(), px(24));
    auto* corner = grid.findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->text(), "角");
    // Column 0 stays where it is while the columns scroll.
    grid.setCols(30);
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(grid.verticalHeader()->x(), grid.frameWidth());
}

TEST_F(GridWidget, WidthsFollowTheModelBothWays) {
    EXPECT_EQ(grid.columnWidth(0), px(80));
    grid.setColWidth(2, 130);
    EXPECT_EQ(grid.columnWidth(1), px(130));
    grid.setCols(0);
    grid.setCols(5);
    grid.setColWidth(5, 45);
    EXPECT_EQ(grid.columnWidth(1), px(80));  // a new column has the default
    EXPECT_EQ(grid.columnWidth(4), px(45));
    grid.horizontalHeader()->resizeSection(2, px(150));  // the user drags it
    EXPECT_EQ(grid.ColWidth(3), 150);
}

// Widths were made for a font with 6-pixel digits; in a wider font a
// machine number still fits the 110 its column is given.
TEST_F(GridWidget, WidthsGrowWithTheFont) {
    grid.setColWidth(1, 110);
    const int digits = grid.fontMetrics().horizontalAdvance(QStringLiteral("4990000000123456"));
    EXPECT_GE(grid.columnWidth(0), std::max(110, digits));
}

TEST_F(GridWidget, MouseUpComesForEveryButtonOverCellsAndHeaders) {
    QSignalSpy up(&grid, &Grid::MouseUp);
    const QPoint at(10, 5);
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, at + QPoint(3, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::RightButton, {}, at);
    ASSERT_EQ(up.count(), 4);
    EXPECT_EQ(up[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(up[0][1].toPoint(), grid.viewport()->mapTo(&grid, at));
    EXPECT_EQ(up[1][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(up[2][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(up[3][1].toPoint(), grid.horizontalHeader()->viewport()->mapTo(&grid, at));
}

TEST_F(GridWidget, CellsCannotBeEdited) {
    grid.setText(1, 1, QStringLiteral("原值"));
    const QRect cell = grid.visualRect(grid.model().index(0, 0));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::keyClick(&grid, Qt::Key_F2);
    QWidget* typing = QApplication::focusWidget() ? QApplication::focusWidget() : &grid;
    QTest::keyClicks(typing, QStringLiteral("x"));
    QTest::keyClick(typing, Qt::Key_Return);
    EXPECT_EQ(grid.Text(1, 1), "原值");
}

TEST_F(GridWidget, LinesTakeTheGridColour) {
    grid.setGridColor(QColor(10, 20, 30));
    QStyleOptionViewItem option;
    const int hint = grid.style()->styleHint(QStyle::SH_Table_GridLineColor, &option, &grid);
    EXPECT_EQ(QColor::fromRgba(static_cast<QRgb>(hint)), QColor(10, 20, 30));
}

TEST_F(GridWidget, CellsAndHeadersAreReadableThroughAccessibility) {
    grid.setText(0, 2, QStringLiteral("发票代码"));
    grid.setText(3, 2, QStringLiteral("1110011201"));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
    ASSERT_NE(table, nullptr);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 4);
    EXPECT_EQ(cells->columnCount(), 3);
    QAccessibleInterface* cell = cells->cellAt(2, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "1110011201");
    const QList<QAccessibleInterface*> headers = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0]->text(QAccessible::Name), "发票代码");
    // Qt hands the header cell out without caching it; the cache frees it.
    QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(headers[0]));
}

TEST_F(GridWidget, HoldsAHundredThousandRowsOfOneHeight) {
    grid.setCols(26);
    GridModel::Batch batch;
    for (int r = 1; r <= 100000; ++r) {
        batch.add(QString::number(r));
        batch.endRow();
    }
    grid.model().appendRows(batch);
    EXPECT_EQ(grid.Rows(), 100004);
    grid.scrollToBottom();
    QApplication::processEvents();
    const int h = grid.verticalHeader()->defaultSectionSize();
    EXPECT_EQ(grid.verticalHeader()->length(), 100004 * h);
    EXPECT_EQ(grid.rowHeight(99999), h);
    const QRect last = grid.visualRect(grid.model().index(100003, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(last));
    EXPECT_EQ(grid.Text(100004, 1), "100000");
}

}  // namespace
