// The main window's information commands: the invoice-check pages in the
// web pane (the web module) against the test web server, or in the browser
// without the module, the settings dialogs, help, the
// upgrade page and the about box. No card is needed: the smart-card
// service is out of reach for this test's process.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "base/Text.h"
#include "card/RecordsDb.h"
#include "childserver.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/ReaderDialog.h"
#include "dialogs/ServerDialog.h"
#include "fakes.h"
#include "gui/MessageBox.h"
#include "programfolder.h"
#include "qtwait.h"
#include "shell/MainWindow.h"
#include "shell/Program.h"
#include "shell/Startup.h"
#include "shellfakes.h"
#include "web/InvoicePages.h"
#include "web/WebEngineSetup.h"

namespace {

using orv::MessageBox;

const QString kPages[] = {"/zwjb/skfpcx.jsp", "/zwjb/zzsptfpcx.jsp", "/zwjb/tydkfpcx.jsp",
                          "/zwjb/qtptfpcx.jsp"};
const char* const kItems[] = {"mnuBWSKFP", "mnuBWZZSPTFP", "mnuBWTYDKFP", "mnuBWQTPTFP"};
const char* const kKinds[] = {"税控发票", "增值税普通发票", "统一代开发票", "其他普通发票"};
const QString kServerError = QStringLiteral("连接发票辨伪拍奖服务器错误，请稍后重试！");

TEST(InvoicePages, IndexesNameTheFourSettingsAndZwjbMarksTheServer) {
    orv::SystemSettings s;
    s.INVOICE1 = "a";
    s.INVOICE2 = "b";
    s.INVOICE3 = "c";
    s.INVOICE4 = "d";
    EXPECT_EQ(orv::invoicePageUrl(s, 0), "");
    EXPECT_EQ(orv::invoicePageUrl(s, 1), "a");
    EXPECT_EQ(orv::invoicePageUrl(s, 4), "d");
    EXPECT_EQ(orv::invoicePageUrl(s, 5), "");
    EXPECT_TRUE(orv::isInvoiceServerUrl(QUrl("http://127.0.0.1:99/zwjb/skfpcx.jsp")));
    EXPECT_TRUE(orv::isInvoiceServerUrl(QUrl("http://zwjb.example.invalid/")));
    EXPECT_FALSE(orv::isInvoiceServerUrl(QUrl("http://127.0.0.2/other.html")));
    EXPECT_FALSE(orv::isInvoiceServerUrl(QUrl("http://127.0.0.1/ZWJB/")));  // as typed, exactly
}

// As root the engine's sandbox cannot start and the engine would end the
// program at the first page; the program turns it off itself there.
TEST(WebEngineSetup, TurnsTheSandboxOffOnlyForRoot) {
    const QByteArray before = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    orv::prepareWebEngine();
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), geteuid() == 0 ? "1" : "");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "0");  // a choice already made stays
    orv::prepareWebEngine();
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), "0");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", before);
}

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::takeShown();
        orvtest::ProgramFolderParts parts;
        parts.webModule = webModule_;
        orvtest::makeProgramFolder(dir_, parts);
    }
    void TearDown() override {
        window_.reset();
        // What the window left to be deleted later (its pending single-shot
        // timers) goes now, not with a loop that may never run again.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        orv::RecordsDb::close();
    }
    void start(QStringList settings = {}) {
        for (int i = 0; i < 4; ++i)
            settings << QStringLiteral("INVOICE%1=%2").arg(i + 1).arg(server_.url(kPages[i]));
        orvtest::writeSettings(dir_, settings);
        program_.waiter = &waiter_;
        program_.desktop = &desktop_;
        ASSERT_TRUE(orv::startProgram(program_, orvtest::folderOf(dir_), {}));
        window_ = std::make_unique<orv::MainWindow>(program_, network_);
        window_->load();
        window_->show();
        ASSERT_TRUE(orvtest::waitFor([&] { return window_->loaded(); }));
        content_ = window_->findChild<QStackedWidget*>();
    }
    QAction* item(const char* name) { return window_->findChild<QAction*>(name); }
    QWebEngineView* web() { return window_->findChild<QWebEngineView*>("Web1"); }
    QString shown() const { return content_->currentWidget()->objectName(); }
    // The page's text, once the script has answered.
    QString pageText(const QString& script) {
        QString text;
        bool done = false;
        web()->page()->runJavaScript(script, [&](const QVariant& v) {
            text = v.toString();
            done = true;
        });
        EXPECT_TRUE(orvtest::waitFor([&] { return done; }));
        return text;
    }
    // The title comes while the page is still being read: a script run then
    // may not find the elements below it yet.
    bool loaded(const char* kind) {
        return orvtest::waitFor([&] {
                   return web() && web()->title() == QStringLiteral("发票辨伪拍奖 - ") + kind;
               }) &&
               orvtest::waitFor([&] { return pageText("document.readyState") == "complete"; });
    }
    // Runs `act` on the modal dialog of type T once it is open.
    template <typename T>
    void onModal(std::function<void(T&)> act) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                act(*d);
            }
        });
        poll->start(5);
    }
    QString pane(const char* key) { return window_->findChild<QLabel*>(key)->text(); }
    QString logText() { return orv::fromGbk(orvtest::logsOf(orvtest::folderOf(dir_))); }

    bool webModule_ = true;
    orvtest::TempDir dir_;
    orvtest::InvoiceSim server_{
        QStringLiteral("http://127.0.0.2:%1/notice.html").arg(orvtest::closedPort())};
    orvtest::FakeWaiter waiter_;
    orvtest::RecordingDesktop desktop_;
    orvtest::FixedNetworkState network_;
    orv::Program program_;
    std::unique_ptr<orv::MainWindow> window_;
    QStackedWidget* content_ = nullptr;
};

TEST_F(PagesTest, EachInvoiceItemShowsItsPageInTheWebPane) {
    start();
    EXPECT_EQ(web(), nullptr);  // the engine starts with the first page
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kItems[i]);
        ASSERT_TRUE(item(kItems[i])->isEnabled());
        item(kItems[i])->trigger();
        ASSERT_NE(web(), nullptr);
        EXPECT_EQ(shown(), "Web1");
        ASSERT_TRUE(loaded(kKinds[i]));
        EXPECT_EQ(web()->url(), QUrl(server_.url(kPages[i])));
        EXPECT_TRUE(web()->isVisible());
        EXPECT_TRUE(pageText("document.body.innerText")
                        .contains(QString("发票辨伪拍奖：") + kKinds[i] + "查询"));
    }
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(window_->findChildren<QWebEngineView*>().size(), 1);
}

TEST_F(PagesTest, TheToolbarButtonOpensThePageOfTaxControlInvoices) {
    start();
    window_->toolbarClicked("INVOICE");
    ASSERT_TRUE(loaded(kKinds[0]));
    EXPECT_EQ(shown(), "Web1");
}

// A build without the web engine (Windows), or a folder that lost the
// module: the pages open in the browser, and the log says why once.
class PagesWithoutModuleTest : public PagesTest {
protected:
    PagesWithoutModuleTest() { webModule_ = false; }
};

TEST_F(PagesWithoutModuleTest, TheInvoiceItemsOpenThePagesInTheBrowser) {
    start();
    item("mnuBWSKFP")->trigger();
    window_->toolbarClicked("INVOICE");
    item("mnuBWQTPTFP")->trigger();
    EXPECT_EQ(desktop_.opened,
              (QList<QUrl>{QUrl(server_.url(kPages[0])), QUrl(server_.url(kPages[0])),
                           QUrl(server_.url(kPages[3]))}));
    EXPECT_EQ(web(), nullptr);
    EXPECT_EQ(shown(), "imgBK");
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    const QString log = logText();
    const QString why = QStringLiteral("网页模块未载入，发票辨伪拍奖页面改在浏览器中打开：");
    EXPECT_EQ(log.count(why), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(why + orvtest::folderOf(dir_) + "/orvweb not found"))
        << log.toStdString();
}

TEST_F(PagesTest, AQueryOnThePageAnswersInThePane) {
    start();
    item("mnuBWSKFP")->trigger();
    ASSERT_TRUE(loaded(kKinds[0]));
    pageText(
        "document.getElementById('fpdm').value = '123456789012';"
        "document.getElementById('fphm').value = '00000008';"
        "document.getElementById('cx').click(); ''");
    ASSERT_TRUE(orvtest::waitFor([&] { return web()->url().hasQuery(); }));
    ASSERT_TRUE(loaded(kKinds[0]));
    EXPECT_TRUE(orvtest::waitFor([&] {
        return pageText(
                   "document.getElementById('result') ? "
                   "document.getElementById('result').innerText : ''")
            .contains("真实有效");
    }));
    EXPECT_EQ(shown(), "Web1");
}

TEST_F(PagesTest, ARefusedServerShowsTheMessageOnceAndBlanksThePane) {
    const QString refused =
        QStringLiteral("http://127.0.0.1:%1/zwjb/zzsptfpcx.jsp").arg(orvtest::closedPort());
    start({"INVOICE2=" + refused});
    item("mnuBWZZSPTFP")->trigger();
    QList<MessageBox::Shown> boxes;
    ASSERT_TRUE(orvtest::waitFor([&] {
        boxes += MessageBox::takeShown();
        return !boxes.isEmpty();
    }));
    EXPECT_EQ(shown(), "imgBK");
    EXPECT_TRUE(orvtest::waitFor([&] { return web()->url() == QUrl("about:blank"); }));
    orvtest::waitFor([] { return false; }, 300);
    boxes += MessageBox::takeShown();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, kServerError);
    EXPECT_EQ(boxes[0].caption, "错误");
    EXPECT_EQ(boxes[0].icon, MessageBox::Icon::Critical);
    EXPECT_EQ(shown(), "imgBK");
}

TEST_F(PagesTest, AnHttpErrorOnTheServerCountsAsFailing) {
    start({"INVOICE3=" + server_.url("/zwjb/missing.jsp")});
    item("mnuBWTYDKFP")->trigger();
    ASSERT_TRUE(orvtest::waitFor([&] { return shown() == "imgBK"; }));
    const auto boxes = MessageBox::takeShown();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, kServerError);
}

TEST_F(PagesTest, ALinkToAnotherHostThatFailsBlanksThePaneSilently) {
    start();
    item("mnuBWSKFP")->trigger();
    ASSERT_TRUE(loaded(kKinds[0]));
    pageText("document.getElementById('other').click(); ''");
    ASSERT_TRUE(orvtest::waitFor([&] { return shown() == "imgBK"; }));
    EXPECT_TRUE(orvtest::waitFor([&] { return web()->url() == QUrl("about:blank"); }));
    orvtest::waitFor([] { return false; }, 300);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(PagesTest, ARightClickOnAPageOpensNoMenu) {
    start();
    item("mnuBWSKFP")->trigger();
    ASSERT_TRUE(loaded(kKinds[0]));
    QWidget* surface = web()->focusProxy();
    ASSERT_NE(surface, nullptr);
    // The page hears the click (its counter), so the click did arrive. The
    // engine takes input only once it has drawn the page: click until then.
    ASSERT_TRUE(orvtest::waitFor([&] {
        if (pageText("String(window.rightClicks)") != "0") return true;
        QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(200, 200));
        return false;
    }));
    orvtest::waitFor([] { return false; }, 300);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMenu*>(w) && w->isVisible()) << w->metaObject()->className();
    EXPECT_EQ(web()->contextMenuPolicy(), Qt::NoContextMenu);
}

TEST_F(PagesTest, ACardCommandHidesTheWebPane) {
    start();
    item("mnuBWSKFP")->trigger();
    ASSERT_TRUE(loaded(kKinds[0]));
    item("mnuJBXX")->trigger();  // no reader: the message, and no page behind it
    EXPECT_EQ(shown(), "imgBK");
    const auto boxes = MessageBox::takeShown();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, "读卡器未连接，请检查后重试。");
    // The pane keeps its page while hidden.
    EXPECT_EQ(web()->url(), QUrl(server_.url(kPages[0])));
}

TEST_F(PagesTest, HelpWithoutTheManualSaysItIsMissing) {
    start();
    item("mnuSYSC")->trigger();
    const auto boxes = MessageBox::takeShown();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, "帮助文件未找到！");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(boxes[0].icon, MessageBox::Icon::Exclamation);
    EXPECT_TRUE(desktop_.opened.isEmpty());
}

TEST_F(PagesTest, HelpOpensTheManualWithTheDesktop) {
    orvtest::writeFile(dir_.file(orv::helpFileName().toStdString()), "<html></html>");
    start();
    item("mnuBWSKFP")->trigger();
    item("mnuSYSC")->trigger();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(shown(), "imgBK");
    ASSERT_EQ(desktop_.opened.size(), 1);
    EXPECT_EQ(desktop_.opened[0],
              QUrl::fromLocalFile(QString::fromStdString(dir_.file("zelORV.html"))));
}

TEST_F(PagesTest, UpgradeOpensTheDownloadPageInTheBrowser) {
    start({"UPDATE=http://127.0.0.1:1/product/download/qvn/"});
    item("mnuRJSJ")->trigger();
    EXPECT_EQ(desktop_.opened, QList<QUrl>{QUrl("http://127.0.0.1:1/product/download/qvn/")});
}

TEST_F(PagesTest, TheServerDialogSavesAndTheStatusBarFollows) {
    start();
    EXPECT_EQ(pane("IP"), "服务器地址：127.0.0.1");
    onModal<orv::ServerDialog>([](orv::ServerDialog& d) {
        d.findChild<QLineEdit*>("txtIP")->setText("10.9.8.7");
        d.findChild<QLineEdit*>("txtPort")->setText("9100");
        QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    window_->toolbarClicked("SZ");
    EXPECT_EQ(pane("IP"), "服务器地址：10.9.8.7");
    EXPECT_EQ(pane("PORT"), "服务器端口：9100");
    EXPECT_EQ(program_.settings.IP, "10.9.8.7");
    EXPECT_EQ(program_.ini.GetSetting("SYSTEM", "PORT", ""), "9100");
    EXPECT_EQ(shown(), "imgBK");
}

TEST_F(PagesTest, TheReaderDialogOffersUsbAloneWithoutTheService) {
    start({"READER=Some Reader"});
    onModal<orv::ReaderDialog>([](orv::ReaderDialog& d) {
        auto* combo = d.findChild<QComboBox*>("cboReader");
        EXPECT_EQ(combo->count(), 1);
        EXPECT_EQ(combo->currentText(), "USB");
        QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    item("mnuICKDXQ")->trigger();
    EXPECT_EQ(program_.settings.READER, "USB");
    EXPECT_EQ(program_.card->currentReader(), "USB");
    EXPECT_EQ(program_.ini.GetSetting("SYSTEM", "READER", ""), "USB");
    EXPECT_EQ(pane("READER"), "读卡器：未连接");
}

TEST_F(PagesTest, AboutOpensTheAboutBox) {
    start();
    bool seen = false;
    onModal<orv::AboutDialog>([&](orv::AboutDialog& d) {
        seen = true;
        EXPECT_EQ(d.windowTitle(), "关于 Orvane");
        QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    item("mnuAbout")->trigger();
    EXPECT_TRUE(seen);
}

}  // namespace
