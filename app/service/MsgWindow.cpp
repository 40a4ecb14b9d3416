#include "service/MsgWindow.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

namespace orv {

namespace {
constexpr int kMargin = 8;
constexpr QSize kSize(300, 160);
}  // namespace

MsgWindow::MsgWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      lblMsg_(new QLabel(this)),
      txtInfo_(new QLineEdit(this)),
      msgTB_(new QToolBar(this)),
      timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(QStringLiteral("ZEL 消息"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kSize);

    lblMsg_->setObjectName(QStringLiteral("lblMsg"));
    lblMsg_->setAccessibleName(QStringLiteral("消息内容"));
    lblMsg_->setWordWrap(true);
    // Notices come from the update manifest: shown as they stand.
    lblMsg_->setTextFormat(Qt::PlainText);
    lblMsg_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg_->setCursor(Qt::PointingHandCursor);
    lblMsg_->installEventFilter(this);

    msgTB_->setObjectName(QStringLiteral("msgTB"));
    msgTB_->setAccessibleName(QStringLiteral("翻页"));
    msgTB_->setMovable(false);
    QAction* prev = msgTB_->addAction(QStringLiteral("上一条"));
    prev->setObjectName(QStringLiteral("PREV"));
    QAction* next = msgTB_->addAction(QStringLiteral("下一条"));
    next->setObjectName(QStringLiteral("NEXT"));
    for (QAction* a : {prev, next})
        msgTB_->widgetForAction(a)->setAccessibleName(a->text());
    msgTB_->widgetForAction(prev)->setObjectName(QStringLiteral("PREV"));
    msgTB_->widgetForAction(next)->setObjectName(QStringLiteral("NEXT"));
    connect(prev, &QAction::triggered, this, [this] {
        if (notices_.previous()) refresh();
    });
    connect(next, &QAction::triggered, this, [this] {
        if (notices_.next()) refresh();
    });

    // The counter sits in the toolbar; it looks read-only and never shows
    // a caret.
    txtInfo_->setObjectName(QStringLiteral("txtInfo"));
    txtInfo_->setAccessibleName(QStringLiteral("页码"));
    txtInfo_->setReadOnly(true);
    txtInfo_->setFocusPolicy(Qt::NoFocus);
    txtInfo_->setFrame(false);
    txtInfo_->setAlignment(Qt::AlignCenter);
    txtInfo_->setMaximumWidth(70);
    msgTB_->addWidget(txtInfo_);
    msgTB_->setVisible(false);

    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1);
    connect(timer1_, &QTimer::timeout, this, &MsgWindow::slide);
    layoutControls();
}

void MsgWindow::setSlide(int intervalMs, int step) {
    timer1_->setInterval(intervalMs);
    step_ = std::max(1, step);
}

void MsgWindow::AddMsg(const QString& text) {
    notices_.add(text);
    if (notices_.count() >= 2) {
        msgTB_->setVisible(true);
        layoutControls();
    }
    refresh();
}

void MsgWindow::refresh() {
    lblMsg_->setText(notices_.current());
    txtInfo_->setText(notices_.counter());
}

void MsgWindow::layoutControls() {
    const QRect inner = rect();
    if (msgTB_->isVisibleTo(this)) {
        msgTB_->setGeometry(0, 0, inner.width(), msgTB_->sizeHint().height());
        const int tb = msgTB_->height();
        lblMsg_->setGeometry(kMargin, tb + kMargin, inner.width() - 2 * kMargin,
                             inner.height() - tb - 2 * kMargin);
    } else {
        lblMsg_->setGeometry(inner.adjusted(kMargin, kMargin, -kMargin, -kMargin));
    }
}

void MsgWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

// Loading: out of sight below the work area, at its right edge, then up.
void MsgWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    workBottom_ = work.bottom() + 1;
    const int frameWidth = frameGeometry().width();
    move(work.right() + 1 - frameWidth, workBottom_);
    timer1_->start();
}

void MsgWindow::slide() {
    const int height = frameGeometry().height();
    const int target = workBottom_ - height;
    const int top = std::max(target, frameGeometry().top() - step_);
    move(frameGeometry().left(), top);
    if (top <= target) timer1_->stop();
}

bool MsgWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblMsg_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (notices_.click() == NoticeList::Click::Close) {
            close();
        } else {
            refresh();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orv
