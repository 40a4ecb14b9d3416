#include "records/QueryWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/AppLog.h"
#include "base/ErrorTexts.h"
#include "grid/Grid.h"
#include "gui/MessageBox.h"
#include "records/Export.h"
#include "records/RecordQuery.h"

namespace orv {

namespace {
QDateEdit* datePicker(QWidget* parent, const char* name, const QString& label) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setAccessibleName(label.trimmed());
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // The calendar's month and day names follow the widget's locale.
    d->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    return d;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(caption);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->setBuddy(buddy);
    return l;
}
}  // namespace

QueryWindow::QueryWindow(int kind, QSqlDatabase db, AppLog& log, QWidget* parent,
                         const Clock& clock)
    : QDialog(parent), kind_(kind), db_(std::move(db)), log_(log) {
    setObjectName(QStringLiteral("frmQuery"));
    setWindowTitle(QStringLiteral("查询"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(1000, 600);

    picTop_ = new QWidget(this);
    picTop_->setObjectName(QStringLiteral("picTop"));
    picTop_->setAccessibleName(QStringLiteral("查询条件"));
    const QString from = QStringLiteral("所属期起： "), to = QStringLiteral("所属期止： ");
    dt1_ = datePicker(picTop_, "DT1", from);
    dt2_ = datePicker(picTop_, "DT2", to);
    cboYW_ = new QComboBox(picTop_);
    cboYW_->setObjectName(QStringLiteral("cboYW"));
    cboYW_->setAccessibleName(QStringLiteral("业务类型："));
    lblYW_ = label(picTop_, "lblYW", QStringLiteral("业务类型："), cboYW_);
    cmdDo_ = button(picTop_, "cmdDo", QStringLiteral("查询"));
    cmdExport_ = button(picTop_, "cmdExport", QStringLiteral("导出"));
    cmdExit_ = button(picTop_, "cmdExit", QStringLiteral("退出"));

    auto* top = new QHBoxLayout(picTop_);
    top->setContentsMargins(8, 6, 8, 6);
    top->addWidget(label(picTop_, "lblDT1", from, dt1_));
    top->addWidget(dt1_);
    top->addSpacing(12);
    top->addWidget(label(picTop_, "lblDT2", to, dt2_));
    top->addWidget(dt2_);
    top->addSpacing(12);
    top->addWidget(lblYW_);
    top->addWidget(cboYW_);
    top->addStretch(1);
    top->addWidget(cmdDo_);
    top->addWidget(cmdExport_);
    top->addWidget(cmdExit_);

    grid1_ = new Grid(this);
    grid1_->setObjectName(QStringLiteral("Grid1"));
    grid1_->setAccessibleName(QStringLiteral("查询结果"));

    // The grid fills the window below the panel, one unit apart.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(picTop_);
    layout->addWidget(grid1_, 1);

    connect(cmdDo_, &QPushButton::clicked, this, &QueryWindow::runQuery);
    connect(cmdExport_, &QPushButton::clicked, this, &QueryWindow::exportGrid);
    connect(cmdExit_, &QPushButton::clicked, this, &QDialog::accept);

    // Load.
    dt1_->setDate(QDate(2011, 5, 1));
    const LocalTime now = clock.now();
    dt2_->setDate(QDate(now.year, now.month, now.day));
    const bool payment = kind_ == query::kPayment;
    if (payment) {
        cboYW_->addItems(businessTypes());
        cboYW_->setCurrentIndex(0);
    }
    cboYW_->setVisible(payment);
    lblYW_->setVisible(payment);
    cmdExport_->setEnabled(false);  // nothing to export before a query
    InitGrid(grid1_->model(), kind_);
    if (validQueryKind(kind_)) setWindowTitle(queryCaption(kind_));
}

void QueryWindow::runQuery() {
    const QDate s = dt1_->date(), e = dt2_->date();
    if (s > e) {
        MessageBox::show(this, QStringLiteral("起始时间不能大于终止时间！"), QStringLiteral("提示"),
                         MessageBox::Icon::Exclamation);
        return;
    }
    const int business = kind_ == query::kPayment ? cboYW_->currentIndex() : query::kBoth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FillResult r = orv::runQuery(db_, grid1_->model(), kind_, business, s, e);
    QApplication::restoreOverrideCursor();
    if (!r.ok) {
        log_.Log(QStringLiteral("查询出错（%1，%2 至 %3）：%4；语句：%5")
                     .arg(queryCaption(kind_), s.toString(Qt::ISODate), e.toString(Qt::ISODate),
                          r.error, queryStatement(kind_, business)));
        // SQLite's words are in the log line above; the user reads the program's.
        MessageBox::show(this, QStringLiteral("查询记录时出错：") + kRecordsUnreadable,
                         QStringLiteral("错误"), MessageBox::Icon::Critical);
        return;
    }
    cmdExport_->setEnabled(r.rows > 0);
}

void QueryWindow::exportGrid() {
    exportFromQuery(this, log_, grid1_->model());
}

void showQueryWindow(QWidget* parent, QSqlDatabase db, AppLog& log, int kind) {
    QueryWindow w(kind, std::move(db), log, parent);
    w.exec();
}

}  // namespace orv
