#include "grid/GridModel.h"

#include <QBrush>
#include <algorithm>

namespace orv {

namespace {
Qt::Alignment qtAlignment(int alignment) {
    switch (alignment) {
        case cellCenterCenter:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case cellRightCenter:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}
}  // namespace

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent),
      rows_(1),
      widths_(1, kDefaultColWidth),
      alignments_(1, kDefaultAlignment),
      back1_(231, 235, 247),
      back2_(239, 243, 255),
      lines_(148, 190, 231) {}

void GridModel::setRows(int rows) {
    rows = std::clamp(rows, 0, kMaxRows);
    const int old = Rows();
    if (rows > old) {
        beginInsertRows({}, old, rows - 1);
        rows_.resize(static_cast<std::size_t>(rows) + 1);
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows, old - 1);
        rows_.resize(static_cast<std::size_t>(rows) + 1);
        if (rows == 0) rows_.shrink_to_fit();
        endRemoveRows();
    }
}

void GridModel::setCols(int cols) {
    cols = std::clamp(cols, 0, kMaxCols);
    const int old = Cols();
    if (cols > old) {
        beginInsertColumns({}, old, cols - 1);
        widths_.resize(static_cast<std::size_t>(cols) + 1, kDefaultColWidth);
        alignments_.resize(static_cast<std::size_t>(cols) + 1, kDefaultAlignment);
        endInsertColumns();
        return;
    }
    if (cols < old) {
        beginRemoveColumns({}, cols, old - 1);
        for (PackedRow& r : rows_)
            r.truncate(cols + 1);
        widths_.resize(static_cast<std::size_t>(cols) + 1);
        alignments_.resize(static_cast<std::size_t>(cols) + 1);
        endRemoveColumns();
    }
    if (cols == 0) {
        for (PackedRow& r : rows_)
            r = PackedRow();
        if (Rows() > 0) emit headerDataChanged(Qt::Vertical, 0, Rows() - 1);
        emit cornerTextChanged(QString());
    }
}

bool GridModel::inside(int row, int col) const {
    return row >= 0 && row <= Rows() && col >= 0 && col <= Cols();
}

QString GridModel::Text(int row, int col) const {
    if (!inside(row, col)) return {};
    return rows_[static_cast<std::size_t>(row)].cell(col);
}

void GridModel::appendText(int row, int col, QString& out) const {
    if (inside(row, col)) rows_[static_cast<std::size_t>(row)].appendCell(col, out);
}

void GridModel::setText(int row, int col, const QString& text) {
    if (!inside(row, col)) return;
    rows_[static_cast<std::size_t>(row)].setCell(col, text);
    rowChanged(row, col, col);
}

void GridModel::setRow(int row, const QStringList& cells, int firstCol) {
    if (!inside(row, 0) || firstCol < 1 || firstCol > Cols()) return;
    PackedRow& r = rows_[static_cast<std::size_t>(row)];
    PackedRow::Builder b;
    for (int col = 0; col < firstCol; ++col)
        b.addFrom(r, col);
    const int n = std::min(static_cast<int>(cells.size()), Cols() - firstCol + 1);
    for (int i = 0; i < n; ++i)
        b.add(cells[i]);
    r = b.take();
    rowChanged(row, firstCol, Cols());
}

void GridModel::rowChanged(int row, int firstCol, int lastCol) {
    if (row == 0) {
        if (firstCol == 0) emit cornerTextChanged(Text(0, 0));
        if (lastCol >= 1)
            emit headerDataChanged(Qt::Horizontal, std::max(firstCol, 1) - 1, lastCol - 1);
        return;
    }
    if (firstCol == 0) emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    if (lastCol >= 1)
        emit dataChanged(index(row - 1, std::max(firstCol, 1) - 1), index(row - 1, lastCol - 1),
                         {Qt::DisplayRole});
}

GridModel::Batch::Batch() {
    builder_.add({});  // column 0
}

void GridModel::Batch::add(QStringView cell) {
    builder_.add(cell);
}

void GridModel::Batch::endRow() {
    rows_.push_back(builder_.take());
    builder_.add({});
}

void GridModel::appendRows(Batch& batch) {
    const int count = std::min(batch.rows(), kMaxRows - Rows());
    if (count > 0) {
        const int first = Rows();
        beginInsertRows({}, first, first + count - 1);
        rows_.reserve(rows_.size() + static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            PackedRow& r = batch.rows_[static_cast<std::size_t>(i)];
            r.truncate(Cols() + 1);
            rows_.push_back(std::move(r));
        }
        endInsertRows();
    }
    batch.rows_.clear();
}

int GridModel::appendRow(const QStringList& cells) {
    Batch b;
    for (const QString& c : cells)
        b.add(c);
    b.endRow();
    appendRows(b);
    return Rows();
}

int GridModel::ColWidth(int col) const {
    return inside(0, col) ? widths_[static_cast<std::size_t>(col)] : 0;
}

void GridModel::setColWidth(int col, int width) {
    if (!inside(0, col)) return;
    width = std::max(width, 0);
    int& w = widths_[static_cast<std::size_t>(col)];
    if (w == width) return;
    w = width;
    emit colWidthChanged(col, width);
}

int GridModel::ColAlignment(int col) const {
    return inside(0, col) ? alignments_[static_cast<std::size_t>(col)] : kDefaultAlignment;
}

void GridModel::setColAlignment(int col, int alignment) {
    if (!inside(0, col)) return;
    alignments_[static_cast<std::size_t>(col)] = alignment;
    if (col >= 1 && Rows() > 0)
        emit dataChanged(index(0, col - 1), index(Rows() - 1, col - 1), {Qt::TextAlignmentRole});
}

void GridModel::backgroundsChanged() {
    if (Rows() > 0 && Cols() > 0)
        emit dataChanged(index(0, 0), index(Rows() - 1, Cols() - 1), {Qt::BackgroundRole});
}

void GridModel::setBackColor1(const QColor& c) {
    back1_ = c;
    backgroundsChanged();
}

void GridModel::setBackColor2(const QColor& c) {
    back2_ = c;
    backgroundsChanged();
}

void GridModel::setGridColor(const QColor& c) {
    lines_ = c;
    emit gridColorChanged(c);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row() + 1, col = index.column() + 1;
    switch (role) {
        case Qt::DisplayRole:
            return Text(row, col);
        case Qt::TextAlignmentRole:
            return static_cast<int>(qtAlignment(ColAlignment(col)));
        case Qt::BackgroundRole:
            return QBrush(row % 2 == 1 ? back1_ : back2_);
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? Text(0, section + 1) : Text(section + 1, 0);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    // Read-only: the grid shows what the card and the database hold.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace orv
