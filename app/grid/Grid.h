// The program's grid control: a read-only table view over a GridModel it
// owns, with the members the windows use (Cols, Rows, Text, ColWidth,
// ColAlignment, the colours) and the mouse-up event. Row 0 shows as the
// column header, column 0 as the row header at ColWidth(0) (so it stays put
// while the rest scrolls), and the corner shows Text(0, 0).
#pragma once

#include <QPoint>
#include <QTableView>
#include <memory>

#include "grid/GridModel.h"

class QAbstractButton;
class QStyle;

namespace orv {

class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);
    ~Grid() override;

    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }

    int Rows() const { return model_.Rows(); }
    void setRows(int rows) { model_.setRows(rows); }
    int Cols() const { return model_.Cols(); }
    void setCols(int cols) { model_.setCols(cols); }
    QString Text(int row, int col) const { return model_.Text(row, col); }
    void setText(int row, int col, const QString& text) { model_.setText(row, col, text); }
    int ColWidth(int col) const { return model_.ColWidth(col); }
    void setColWidth(int col, int width) { model_.setColWidth(col, width); }
    int ColAlignment(int col) const { return model_.ColAlignment(col); }
    void setColAlignment(int col, int alignment) { model_.setColAlignment(col, alignment); }
    QColor BackColor1() const { return model_.BackColor1(); }
    void setBackColor1(const QColor& c) { model_.setBackColor1(c); }
    QColor BackColor2() const { return model_.BackColor2(); }
    void setBackColor2(const QColor& c) { model_.setBackColor2(c); }
    QColor GridColor() const { return model_.GridColor(); }
    void setGridColor(const QColor& c) { model_.setGridColor(c); }

signals:
    // Every mouse button released over the cells, the headers or the corner;
    // `pos` in the grid's coordinates.
    void MouseUp(Qt::MouseButton button, QPoint pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ColWidth is in pixels of the font the layouts were made for; the view
    // scales it to the font in use.
    double unit() const;
    int toPixels(int width) const;
    int fromPixels(int pixels) const;
    void applyColWidth(int col, int width);
    void applyWidthsFrom(int firstCol);
    void paintCorner();

    GridModel model_;
    std::unique_ptr<QStyle> lineStyle_;
    QAbstractButton* corner_ = nullptr;
    bool applyingWidth_ = false;
};

}  // namespace orv
