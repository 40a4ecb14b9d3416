#include "grid/Grid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <cmath>

namespace orv {

namespace {
// QTableView takes its line colour from the style; this style answers with
// the grid's GridColor and leaves everything else to the program's style.
class GridLineStyle : public QProxyStyle {
public:
    explicit GridLineStyle(const GridModel& model)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())), model_(model) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_Table_GridLineColor) return static_cast<int>(model_.GridColor().rgba());
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    const GridModel& model_;
};
}  // namespace

Grid::Grid(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    lineStyle_ = std::make_unique<GridLineStyle>(model_);
    setStyle(lineStyle_.get());
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);

    // One height for every row, so that 100 000 rows cost the view nothing
    // per row.
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* cols = horizontalHeader();
    cols->setMinimumSectionSize(0);
    cols->setDefaultSectionSize(toPixels(GridModel::kDefaultColWidth));
    cols->setHighlightSections(false);
    applyColWidth(0, model_.ColWidth(0));

    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_) corner_->installEventFilter(this);
    viewport()->installEventFilter(this);
    cols->viewport()->installEventFilter(this);
    rows->viewport()->installEventFilter(this);

    connect(&model_, &GridModel::colWidthChanged, this, &Grid::applyColWidth);
    connect(&model_, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int) { applyWidthsFrom(first + 1); });
    connect(&model_, &GridModel::gridColorChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&model_, &GridModel::cornerTextChanged, this, [this](const QString& text) {
        if (!corner_) return;
        corner_->setText(text);
        corner_->update();
    });
    // A column the user drags wider keeps that width in the grid.
    connect(cols, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (!applyingWidth_) model_.setColWidth(section + 1, fromPixels(size));
    });
}

Grid::~Grid() {
    // The style and the model are members: neither may outlive its use.
    setStyle(nullptr);
    setModel(nullptr);
}

double Grid::unit() const {
    // The layouts' widths were set for a font whose digits are 6 pixels
    // wide; a wider font gets wider columns, so that a 16-digit code still
    // fits its column.
    return std::max(1.0, fontMetrics().horizontalAdvance(QLatin1Char('0')) / 6.0);
}

int Grid::toPixels(int width) const {
    return static_cast<int>(std::lround(width * unit()));
}

int Grid::fromPixels(int pixels) const {
    return static_cast<int>(std::lround(pixels / unit()));
}

void Grid::applyColWidth(int col, int width) {
    if (col == 0) {
        verticalHeader()->setFixedWidth(toPixels(width));
        updateGeometries();
        return;
    }
    applyingWidth_ = true;
    setColumnWidth(col - 1, toPixels(width));
    applyingWidth_ = false;
}

void Grid::applyWidthsFrom(int firstCol) {
    for (int c = std::max(firstCol, 0); c <= model_.Cols(); ++c)
        applyColWidth(c, model_.ColWidth(c));
}

void Grid::paintCorner() {
    QStylePainter painter(corner_);
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.state |= QStyle::State_Raised | QStyle::State_Horizontal;
    option.rect = corner_->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = corner_->text();
    option.textAlignment = Qt::AlignCenter;
    painter.drawControl(QStyle::CE_Header, option);
}

bool Grid::eventFilter(QObject* watched, QEvent* event) {
    const bool ours = watched == viewport() || watched == horizontalHeader()->viewport() ||
                      watched == verticalHeader()->viewport() || (corner_ && watched == corner_);
    if (ours && event->type() == QEvent::MouseButtonRelease) {
        const auto* e = static_cast<QMouseEvent*>(event);
        emit MouseUp(e->button(),
                     static_cast<QWidget*>(watched)->mapTo(this, e->position().toPoint()));
    }
    if (corner_ && watched == corner_ && event->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace orv
