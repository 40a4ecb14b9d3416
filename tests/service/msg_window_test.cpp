// The notice window: paging rules, the counter, the close rules, the
// slide-in to the bottom right of the work area, names.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "fifowatch.h"
#include "gui/MessageBox.h"
#include "qtprint.h"
#include "service/MsgWindow.h"
#include "service/NoticeList.h"
#include "tempdir.h"

namespace {

using orv::MsgWindow;
using orv::NoticeList;

TEST(NoticeList, PagesAndClicks) {
    NoticeList n;
    EXPECT_EQ(n.shown(), 0);
    EXPECT_EQ(n.click(), NoticeList::Click::Close);
    n.add("a");
    EXPECT_EQ(n.counter(), "1 / 1");
    EXPECT_FALSE(n.paged());
    EXPECT_EQ(n.click(), NoticeList::Click::Close);
    n.add("b");
    n.add("c");
    EXPECT_EQ(n.current(), "a");  // adding does not move
    EXPECT_EQ(n.counter(), "1 / 3");
    EXPECT_FALSE(n.previous());
    EXPECT_EQ(n.click(), NoticeList::Click::Advanced);
    EXPECT_EQ(n.current(), "b");
    EXPECT_TRUE(n.next());
    EXPECT_FALSE(n.next());
    EXPECT_EQ(n.counter(), "3 / 3");
    EXPECT_EQ(n.click(), NoticeList::Click::Close);
    EXPECT_TRUE(n.previous());
    EXPECT_EQ(n.current(), "b");
}

struct Window {
    Window() : w(new MsgWindow) {
        w->setSlide(1, 40);
        label = w->findChild<QLabel*>("lblMsg");
        info = w->findChild<QLineEdit*>("txtInfo");
        toolbar = w->findChild<QToolBar*>("msgTB");
        prev = w->findChild<QAction*>("PREV");
        next = w->findChild<QAction*>("NEXT");
        timer = w->findChild<QTimer*>("Timer1");
    }
    ~Window() { delete w.data(); }
    void clickText() { QTest::mouseClick(label, Qt::LeftButton); }
    bool closed() {
        return QTest::qWaitFor([&] { return w.isNull(); }, 2000);
    }
    QPointer<MsgWindow> w;
    QLabel* label;
    QLineEdit* info;
    QToolBar* toolbar;
    QAction *prev, *next;
    QTimer* timer;
};

TEST(MsgWindow, NamesAndCaption) {
    Window m;
    EXPECT_EQ(m.w->windowTitle(), QStringLiteral("ZEL 消息"));
    ASSERT_TRUE(m.label && m.info && m.toolbar && m.prev && m.next && m.timer);
    EXPECT_EQ(m.timer->interval(), 1);
    for (QWidget* widget : {static_cast<QWidget*>(m.label), static_cast<QWidget*>(m.info),
                            static_cast<QWidget*>(m.toolbar), m.toolbar->widgetForAction(m.prev),
                            m.toolbar->widgetForAction(m.next)})
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    EXPECT_TRUE(m.info->isReadOnly());
    EXPECT_EQ(m.info->focusPolicy(), Qt::NoFocus);
}

TEST(MsgWindow, OneNoticeHasNoToolbarAndOneClickCloses) {
    Window m;
    m.w->AddMsg(QStringLiteral("系统将于今晚维护"));
    m.w->show();
    EXPECT_FALSE(m.toolbar->isVisible());
    EXPECT_EQ(m.info->text(), "1 / 1");
    EXPECT_EQ(m.label->text(), QStringLiteral("系统将于今晚维护"));
    // Without the toolbar the text fills the window less its margins.
    EXPECT_EQ(m.label->geometry(), m.w->rect().adjusted(8, 8, -8, -8));
    m.clickText();
    EXPECT_TRUE(m.closed());
}

TEST(MsgWindow, ThreeNoticesPageAndTheLastClickCloses) {
    Window m;
    m.w->AddMsg("one");
    m.w->AddMsg("two");
    m.w->AddMsg("three");
    m.w->show();
    EXPECT_TRUE(m.toolbar->isVisible());
    EXPECT_EQ(m.label->y(), m.toolbar->height() + 8);
    EXPECT_EQ(m.info->text(), "1 / 3");
    m.prev->trigger();  // nothing before the first
    EXPECT_EQ(m.label->text(), "one");
    EXPECT_EQ(m.info->text(), "1 / 3");
    QTest::mouseClick(m.toolbar->widgetForAction(m.next), Qt::LeftButton);
    EXPECT_EQ(m.label->text(), "two");
    EXPECT_EQ(m.info->text(), "2 / 3");
    m.clickText();
    EXPECT_EQ(m.label->text(), "three");
    EXPECT_EQ(m.info->text(), "3 / 3");
    m.next->trigger();  // nothing after the last
    EXPECT_EQ(m.info->text(), "3 / 3");
    m.prev->trigger();
    EXPECT_EQ(m.info->text(), "2 / 3");
    m.next->trigger();
    ASSERT_FALSE(m.w.isNull());
    m.clickText();
    EXPECT_TRUE(m.closed());
}

TEST(MsgWindow, SlidesUpIntoTheBottomRightCornerOfTheWorkArea) {
    Window m;
    m.w->AddMsg("one");
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    m.w->show();
    // It starts out of sight, standing on the work area's bottom edge.
    EXPECT_EQ(m.w->frameGeometry().top(), work.bottom() + 1);
    EXPECT_TRUE(m.timer->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m.timer->isActive(); }, 5000));
    EXPECT_EQ(m.w->frameGeometry().bottom(), work.bottom());
    EXPECT_EQ(m.w->frameGeometry().right(), work.right());
}

TEST(MsgWindow, TheCloseBoxCloses) {
    Window m;
    m.w->AddMsg("one");
    m.w->AddMsg("two");
    m.w->show();
    m.w->close();
    EXPECT_TRUE(m.closed());
}

// Regression: a message box rendered markup in the texts it carries (file
// names, server and driver messages), loading any picture they named.
TEST(MessageBoxText, IsShownAsItStands) {
    orvtest::TempDir dir;
    orvtest::FifoWatch fifo(dir.file("picture"));
    ASSERT_TRUE(fifo.made());
    const QString text =
        "数据已导出到：<img src=" + QString::fromStdString(fifo.path()) + ">a&lt;b.csv";
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            poll.stop();
            box->grab();  // laid out and drawn as the user sees it
            for (QLabel* l : box->findChildren<QLabel*>())
                if (l->text() == text) shown = l->text();
            box->accept();
        }
    });
    poll.start(5);
    orv::MessageBox::setAnswering(false);
    orv::MessageBox::show(nullptr, text, "提示", orv::MessageBox::Icon::Information);
    orv::MessageBox::setAnswering(true);
    EXPECT_EQ(shown, text);
    EXPECT_FALSE(fifo.opened());
}

}  // namespace
