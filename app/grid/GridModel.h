// The grid's whole state, usable without a widget: the text of every cell,
// the column widths and alignments, the colours. Rows and columns count as
// the program's grids always have: data rows 1..Rows and data columns
// 1..Cols, with the fixed row 0 (the captions) and the fixed column 0 in
// front. As a Qt model, data row r and column c are the model's row r-1 and
// column c-1; row 0 and column 0 are the header texts.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <vector>

#include "grid/PackedRow.h"

namespace orv {

// Column alignments, by the values the grid's callers use.
inline constexpr int cellLeftCenter = 6;
inline constexpr int cellCenterCenter = 10;
inline constexpr int cellRightCenter = 14;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kDefaultColWidth = 80;  // pixels
    static constexpr int kDefaultAlignment = cellLeftCenter;
    // Counts beyond these are taken as these: a grid never needs more, and a
    // wild count must not exhaust the memory.
    static constexpr int kMaxRows = 10'000'000;
    static constexpr int kMaxCols = 4096;

    explicit GridModel(QObject* parent = nullptr);

    int Rows() const { return static_cast<int>(rows_.size()) - 1; }
    // Rows beyond the old count come empty; fewer drops the rows after.
    // 0 leaves the caption row only.
    void setRows(int rows);
    int Cols() const { return static_cast<int>(widths_.size()) - 1; }
    // Columns beyond the old count come empty with the default width and
    // alignment; fewer drops the columns after. 0 clears every text, column
    // 0's and the corner's too: the grid is empty.
    void setCols(int cols);

    // Empty outside the grid; writes outside it are ignored.
    QString Text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // Appends Text(row, col) to `out` (the export writers read every cell).
    void appendText(int row, int col, QString& out) const;
    // Row `row` gets `cells` in columns firstCol, firstCol + 1, ...; the
    // columns before keep their texts, the rest of the row is emptied.
    // Cells beyond Cols are dropped.
    void setRow(int row, const QStringList& cells, int firstCol = 1);

    // Whole data rows gathered apart from the grid and appended in one step,
    // so that a query of 100 000 rows tells the view once.
    class Batch {
    public:
        Batch();
        void reserve(int rows) { rows_.reserve(static_cast<std::size_t>(rows)); }
        // The next cell of the row being built, from column 1 on.
        void add(QStringView cell);
        void endRow();
        int rows() const { return static_cast<int>(rows_.size()); }

    private:
        friend class GridModel;
        PackedRow::Builder builder_;
        std::vector<PackedRow> rows_;
    };
    // Appends the batch's rows after Rows (it is empty afterwards); cells
    // beyond Cols are dropped.
    void appendRows(Batch& batch);
    // One row; its row number.
    int appendRow(const QStringList& cells);

    // Width in pixels; 0 outside the grid. Column 0 is the fixed column.
    int ColWidth(int col) const;
    void setColWidth(int col, int width);
    // cellLeftCenter, cellCenterCenter or cellRightCenter; any other value
    // is kept and shows left-aligned.
    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    // Odd data rows on BackColor1, even ones on BackColor2.
    QColor BackColor1() const { return back1_; }
    void setBackColor1(const QColor& c);
    QColor BackColor2() const { return back2_; }
    void setBackColor2(const QColor& c);
    QColor GridColor() const { return lines_; }
    void setGridColor(const QColor& c);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void colWidthChanged(int col, int width);
    void gridColorChanged(const QColor& color);
    void cornerTextChanged(const QString& text);

private:
    bool inside(int row, int col) const;
    // Tells the view that a row's texts changed (data, or a header).
    void rowChanged(int row, int firstCol, int lastCol);
    void backgroundsChanged();

    std::vector<PackedRow> rows_;  // grid rows 0..Rows, each with columns 0..
    std::vector<int> widths_;      // columns 0..Cols
    std::vector<int> alignments_;  // columns 0..Cols
    QColor back1_, back2_, lines_;
};

}  // namespace orv
