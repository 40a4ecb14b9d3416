// The main window against the real card: each card-information command
// runs the wizard through pcscd, vpcd and the virtual card, and the grid is
// checked cell by cell against the bytes the card builder wrote.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "base/Deployment.h"
#include "base/Text.h"
#include "builder.h"
#include "card/RecordsDb.h"
#include "cardbytes.h"
#include "fakes.h"
#include "grid/Grid.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"
#include "orv/hex.h"
#include "programfolder.h"
#include "qtwait.h"
#include "records/QueryWindow.h"
#include "service/NaviWindow.h"
#include "shell/MainWindow.h"
#include "shell/NetworkState.h"
#include "shell/Program.h"
#include "shell/Startup.h"
#include "virtualreader.h"

namespace {

using cardsim::Bytes;
using orv::MessageBox;
using orvtest::dateOf;
using orvtest::hexOf;
using orvtest::moneyOf;
using orvtest::numOf;

// Offline unless a test says otherwise: online, the window would start the
// update check.
class FixedNetwork : public orv::NetworkState {
public:
    bool up = false;
    bool online() override { return up; }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::takeShown();
        orvtest::makeProgramFolder(dir_);
        orvtest::writeSettings(dir_, {"READER=Virtual PCD 00 00"});
    }
    void TearDown() override {
        window_.reset();
        orv::RecordsDb::close();
    }
    void start(const cardsim::Card& card) {
        card_ = card;
        reader_.card().setCard(card);
        reader_.insert();
        program_.waiter = &waiter_;
        ASSERT_TRUE(orv::startProgram(program_, orvtest::folderOf(dir_), {}));
        window_ = std::make_unique<orv::MainWindow>(program_, network_);
        QSignalSpy finished(window_.get(), &orv::MainWindow::loadFinished);
        window_->load();
        window_->show();
        ASSERT_TRUE(orvtest::waitFor([&] { return window_->loaded(); }));
        EXPECT_EQ(finished.count(), 1);  // what waited for the window starts once
        grid_ = window_->findChild<orv::Grid*>("Grid1");
        ASSERT_NE(grid_, nullptr);
    }
    QAction* item(const char* name) { return window_->findChild<QAction*>(name); }
    // Runs `act` on the wizard once it is open (it is modal: the command that
    // opens it returns only when it closes).
    void onWizard(std::function<void(orv::NaviWindow&)> act) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            if (auto* w = qobject_cast<orv::NaviWindow*>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                poll->stop();
                act(*w);
            }
        });
        poll->start(5);
    }
    static void press(orv::NaviWindow& w, const char* button) {
        QTest::mouseClick(w.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    // The command with "确定" pressed in its wizard.
    void readWith(const char* menuItem) {
        onWizard([](orv::NaviWindow& w) { press(w, "cmdOK"); });
        item(menuItem)->trigger();
    }
    // Opens the reader dialog from its menu item, lets `choose` look at its
    // list and pick, and presses "确定".
    void inReaderDialog(std::function<void(QComboBox&)> choose) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, choose] {
            auto* d = QApplication::activeModalWidget();
            if (!d || d->objectName() != "frmReader") return;
            poll->stop();
            poll->deleteLater();
            choose(*d->findChild<QComboBox*>("cboReader"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        poll->start(5);
        item("mnuICKDXQ")->trigger();
    }
    bool gridShown() const {
        return window_->findChild<QStackedWidget*>()->currentWidget() == grid_;
    }
    const Bytes& record(uint16_t file, std::size_t i) const {
        return card_.files.at(file).records[i];
    }
    uint16_t subFile(uint16_t file, std::size_t i) const {
        const Bytes& r = record(file, i);
        return static_cast<uint16_t>(r[16] << 8 | r[17]);
    }
    QString cell(int row, int col) const { return grid_->Text(row, col); }

    orvtest::TempDir dir_;
    orvtest::VirtualReader reader_;
    orvtest::FakeWaiter waiter_;
    FixedNetwork network_;
    orv::Program program_;
    cardsim::Card card_;
    std::unique_ptr<orv::MainWindow> window_;
    orv::Grid* grid_ = nullptr;
};

TEST_F(MainWindowTest, BasicInformationShowsCodeAndName) {
    const cardsim::CardSpec spec = cardsim::realisticSpec();
    start(cardsim::build(spec));
    readWith("mnuJBXX");
    ASSERT_TRUE(gridShown());
    EXPECT_EQ(grid_->Rows(), 2);
    EXPECT_EQ(grid_->Cols(), 2);
    EXPECT_EQ(cell(0, 1), "项目");
    EXPECT_EQ(cell(1, 1), "纳税人编码");
    EXPECT_EQ(cell(1, 2), QString::fromStdString(spec.taxpayerCode));
    EXPECT_EQ(cell(2, 2), QString::fromStdString(spec.unitName));
    EXPECT_EQ(window_->shownRows(), 2);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

// A package that an earlier run never handed over goes once the window is
// up (not before: the first paint does not wait for the folder's listing).
TEST_F(MainWindowTest, PackagesOfEarlierRunsGoOnceTheWindowIsUp) {
    QFile left(orvtest::folderOf(dir_) + "/tmp7Q.tmp");
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                     QFileDevice::FileModificationTime);
    left.close();
    start(cardsim::build(cardsim::realisticSpec()));
    EXPECT_FALSE(left.exists());
}

TEST_F(MainWindowTest, ThreeSummariesGiveValueColumnsTwoToFour) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines.assign(3, cardsim::MachineSpec{});
    start(cardsim::build(spec));
    readWith("mnuSBHZ");
    ASSERT_TRUE(gridShown());
    EXPECT_EQ(grid_->Cols(), 4);
    EXPECT_EQ(grid_->Rows(), 25);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const Bytes& r = record(0xEF04, static_cast<std::size_t>(i));
        const int c = i + 2;
        EXPECT_EQ(cell(1, c), hexOf(r, 0, 1));
        EXPECT_EQ(cell(2, c), hexOf(r, 1, 8));
        EXPECT_EQ(cell(3, c), dateOf(r, 9));
        EXPECT_EQ(cell(4, c), dateOf(r, 13));
        EXPECT_EQ(cell(5, c), numOf(r, 17, 4));
        EXPECT_EQ(cell(6, c), numOf(r, 21, 2));
        EXPECT_EQ(cell(9, c), moneyOf(r, 31));
        EXPECT_EQ(cell(15, c), moneyOf(r, 55));
        EXPECT_EQ(cell(21, c), moneyOf(r, 79));
        EXPECT_EQ(cell(24, c), hexOf(r, 88, 4));
        EXPECT_EQ(cell(25, c), hexOf(r, 92, 128));
    }
    EXPECT_EQ(window_->shownRows(), 25);
}

TEST_F(MainWindowTest, InvoiceRollsOfEveryMachineStandTogether) {
    cardsim::Card card = cardsim::build(cardsim::realisticSpec());  // 2 machines, 3 rolls each
    // The first roll's amount: all bits set reads as one fen below zero.
    const uint16_t rolls0 = static_cast<uint16_t>(card.files[0xEF06].records[0][16] << 8 |
                                                  card.files[0xEF06].records[0][17]);
    std::fill_n(card.files[rolls0].records[0].begin() + 21, 4, 0xFF);
    start(card);
    readWith("mnuFPSYXX");
    ASSERT_TRUE(gridShown());
    EXPECT_EQ(window_->shownRows(), 6);
    EXPECT_EQ(cell(0, 1), " 机器编号");
    int row = 1;
    for (std::size_t m = 0; m < 2; ++m) {
        const QString machine = hexOf(record(0xEF06, m), 0, 8);
        for (std::size_t k = 0; k < 3; ++k, ++row) {
            SCOPED_TRACE(row);
            const Bytes& s = card_.files.at(subFile(0xEF06, m)).records[k];
            EXPECT_EQ(cell(row, 1), machine);
            EXPECT_EQ(cell(row, 2), hexOf(s, 0, 10));
            EXPECT_EQ(cell(row, 3), numOf(s, 10, 4));
            EXPECT_EQ(cell(row, 5), numOf(s, 18, 1));
            EXPECT_EQ(cell(row, 9), moneyOf(s, 25));
            EXPECT_EQ(cell(row, 10), dateOf(s, 29));
            EXPECT_EQ(cell(row, 11), dateOf(s, 33));
        }
    }
    EXPECT_EQ(cell(1, 8), "-0.01");
}

TEST_F(MainWindowTest, DailyRecordsStopAtTwoHundredAMachine) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.periodEnd = std::chrono::year_month_day(std::chrono::sys_days(spec.periodStart) +
                                                 std::chrono::days(249));
    spec.machines = {cardsim::MachineSpec{3, 250}, cardsim::MachineSpec{3, 31}};
    start(cardsim::build(spec));
    readWith("mnuRJYJL");
    ASSERT_TRUE(gridShown());
    EXPECT_EQ(window_->shownRows(), 231);
    EXPECT_EQ(grid_->Rows(), 231);
    const Bytes& last = card_.files.at(subFile(0xEF09, 0)).records[199];
    EXPECT_EQ(cell(200, 1), hexOf(record(0xEF09, 0), 0, 8));
    EXPECT_EQ(cell(200, 2), dateOf(last, 0));
    EXPECT_EQ(cell(200, 3), numOf(last, 4, 2));
    EXPECT_EQ(cell(200, 7), moneyOf(last, 16));
    EXPECT_EQ(cell(200, 19), hexOf(last, 64, 128));
    EXPECT_EQ(cell(201, 1), hexOf(record(0xEF09, 1), 0, 8));  // the next machine follows
    EXPECT_EQ(cell(201, 2), dateOf(card_.files.at(subFile(0xEF09, 1)).records[0], 0));
}

TEST_F(MainWindowTest, CancelDuringADailyRecordReadClosesWithoutShowing) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines = {cardsim::MachineSpec{3, 200}};
    start(cardsim::build(spec));
    cardsim::Faults slow;
    slow.delay = std::chrono::milliseconds(2);
    reader_.card().setFaults(slow);
    bool cancelled = false;
    onWizard([&](orv::NaviWindow& w) {
        auto* poll = new QTimer(&w);
        QObject::connect(poll, &QTimer::timeout, [&w, poll, &cancelled] {
            auto* ok = w.findChild<QPushButton*>("cmdOK");
            auto* cancel = w.findChild<QPushButton*>("cmdCancel");
            if (!ok->isEnabled() && cancel->isEnabled() && !cancelled) {
                cancelled = true;
                poll->stop();
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        poll->start(5);
        press(w, "cmdOK");
    });
    item("mnuRJYJL")->trigger();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(gridShown());
    EXPECT_TRUE(program_.currentCard.ef09.isEmpty());
    EXPECT_EQ(window_->shownRows(), 0);
}

TEST_F(MainWindowTest, ExportMenuOpensOnARightClickOnlyWhenRowsAreShown) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines = {cardsim::MachineSpec{3, 0}};  // no daily records
    start(cardsim::build(spec));
    auto* menu = window_->findChild<QMenu*>("mnuExport");
    readWith("mnuRJYJL");
    ASSERT_TRUE(gridShown());
    EXPECT_EQ(window_->shownRows(), 0);
    QTest::mouseClick(grid_->viewport(), Qt::RightButton);
    EXPECT_FALSE(menu->isVisible());
    readWith("mnuJBXX");
    QTest::mouseClick(grid_->viewport(), Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton);
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(MainWindowTest, ControlsCarryTheirNamesAndEveryItemIsUsable) {
    start(cardsim::build(cardsim::realisticSpec()));
    EXPECT_EQ(window_->windowTitle(), orv::MainWindow::caption());
    EXPECT_TRUE(window_->windowTitle().startsWith("Orvane   服务电话："));
    for (const char* enabled :
         {"mnuJBXX",     "mnuSBHZ",   "mnuFPSYXX", "mnuRJYJL",   "mnuExit",      "mnuCXCBS",
          "mnuCXJSJL",   "mnuCXSBHZ", "mnuCXFPSY", "mnuCXRJYJL", "mnuFWQ",       "mnuICKDXQ",
          "mnuSYSC",     "mnuRJSJ",   "mnuAbout",  "mnuBWSKFP",  "mnuBWZZSPTFP", "mnuBWTYDKFP",
          "mnuBWQTPTFP", "mnuCBS",    "mnuSBJS",   "mnuQLJS",    "mnuClearIC"})
        EXPECT_TRUE(item(enabled)->isEnabled()) << enabled;
    const QList<QAction*> exports = window_->findChildren<QAction*>("mnuExp");
    ASSERT_EQ(exports.size(), 3);
    for (QAction* a : exports)
        EXPECT_TRUE(a->isEnabled());
    // Every toolbar button: named by its key, read by its caption, usable
    // exactly when its menu item is.
    const QList<std::pair<const char*, const char*>> buttons = {
        {"TAX", "mnuCBS"},        {"ICHZ", "mnuSBHZ"}, {"ICFP", "mnuFPSYXX"},
        {"ICRJY", "mnuRJYJL"},    {"QCB", "mnuCXCBS"}, {"QJS", "mnuCXJSJL"},
        {"INVOICE", "mnuBWSKFP"}, {"SZ", "mnuFWQ"},    {"EXIT", "mnuExit"}};
    auto* toolbar = window_->findChild<QToolBar*>("zelToolbar");
    for (const auto& [key, menuItem] : buttons) {
        auto* b = toolbar->findChild<QToolButton*>(key);
        ASSERT_NE(b, nullptr) << key;
        EXPECT_FALSE(b->accessibleName().isEmpty()) << key;
        EXPECT_FALSE(b->icon().pixmap(32).isNull()) << key;  // its picture is there
        EXPECT_EQ(b->isEnabled(), item(menuItem)->isEnabled()) << key;
    }
    // Every named menu item and menu reads as its caption.
    for (QAction* a : window_->findChildren<QAction*>()) {
        if (!a->isSeparator() && !a->objectName().isEmpty()) {
            EXPECT_FALSE(a->text().isEmpty()) << a->objectName().toStdString();
        }
    }
    window_->toolbarClicked("NOPE");  // nothing happens
    EXPECT_TRUE(window_->isVisible());
}

// Each query item (and the two query buttons) opens the query window of its
// kind, modally, over the background.
TEST_F(MainWindowTest, QueryCommandsOpenTheQueryWindowOfTheirKind) {
    start(cardsim::build(cardsim::realisticSpec()));
    readWith("mnuJBXX");
    const QList<std::pair<const char*, const char*>> items = {{"mnuCXCBS", "抄报税记录查询"},
                                                              {"mnuCXJSJL", "缴税记录查询"},
                                                              {"mnuCXSBHZ", "申报汇总数据查询"},
                                                              {"mnuCXFPSY", "发票使用信息查询"},
                                                              {"mnuCXRJYJL", "日交易记录查询"}};
    auto opened = [&](const std::function<void()>& command) {
        QString title;
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, &title] {
            if (auto* w = qobject_cast<orv::QueryWindow*>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                poll->stop();
                title = w->windowTitle();
                QTest::mouseClick(w->findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
            }
        });
        poll->start(5);
        command();
        return title;
    };
    for (const auto& [name, caption] : items) {
        // A name of its own: clang 14 cannot capture a structured binding.
        const auto& menuItem = name;
        EXPECT_EQ(opened([&] { item(menuItem)->trigger(); }), caption) << name;
        EXPECT_FALSE(gridShown());
    }
    EXPECT_EQ(opened([&] { window_->toolbarClicked("QCB"); }), "抄报税记录查询");
    EXPECT_EQ(opened([&] { window_->toolbarClicked("QJS"); }), "缴税记录查询");
}

// The menu item decides the format, whatever the typed name ends in.
TEST_F(MainWindowTest, ExportMenuWritesTheGridByItsItem) {
    const cardsim::CardSpec spec = cardsim::realisticSpec();
    start(cardsim::build(spec));
    readWith("mnuJBXX");
    orv::FileDialog::takeShown();
    MessageBox::takeShown();
    const QList<QAction*> exports = window_->findChildren<QAction*>("mnuExp");
    auto exportWith = [&](int index, const std::string& name) {
        for (QAction* a : exports)
            if (a->property("index").toInt() == index) {
                orv::FileDialog::setNextFileName(QString::fromStdString(dir_.file(name)));
                a->trigger();
            }
        return orvtest::readFile(dir_.file(name));
    };
    EXPECT_EQ(exportWith(0, "a.csv").substr(0, 4), "\xD0\xCF\x11\xE0");  // a workbook
    EXPECT_EQ(exportWith(1, "b.txt"),
              "\xCF\xEE\xC4\xBF,\xD6\xB5\r\n\xC4\xC9\xCB\xB0\xC8\xCB"
              "\xB1\xE0\xC2\xEB,1101082012345678\r\n" +
                  orv::toGbk(QStringLiteral("单位名称,") + QString::fromStdString(spec.unitName))
                      .toStdString() +
                  "\r\n");
    EXPECT_EQ(exportWith(2, "c.xls").substr(0, 7), "\xCF\xEE\xC4\xBF\t\xD6\xB5");
    const auto dialogs = orv::FileDialog::takeShown();
    ASSERT_EQ(dialogs.size(), 3);
    EXPECT_EQ(dialogs[0].filters, "Excel文件 (*.xls)");
    EXPECT_EQ(dialogs[0].defaultSuffix, "xls");
    EXPECT_EQ(dialogs[1].filters, "CSV(逗号分隔) (*.csv)");
    EXPECT_EQ(dialogs[2].defaultSuffix, "txt");
    EXPECT_EQ(MessageBox::takeShown().size(), 3);
    // Cancel does nothing.
    exports[0]->trigger();
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(MainWindowTest, StatusBarShowsSettingsNetworkReaderAndDate) {
    orvtest::writeSettings(dir_, {"READER=Virtual PCD 00 00", "IP=10.1.2.3", "PORT=9000"});
    start(cardsim::build(cardsim::realisticSpec()));
    auto pane = [&](const char* key) { return window_->findChild<QLabel*>(key)->text(); };
    EXPECT_EQ(pane("IP"), "服务器地址：10.1.2.3");
    EXPECT_EQ(pane("PORT"), "服务器端口：9000");
    EXPECT_EQ(pane("INET"), "互联网：离线");
    EXPECT_EQ(pane("SERVER"), "服务器：未连接");
    EXPECT_EQ(pane("READER"), "读卡器：已连接");
    EXPECT_EQ(pane("DATE"), QDate::currentDate().toString("yyyy年MM月dd日"));
    network_.up = true;
    window_->findChild<QTimer*>("StatusTimer")->setInterval(1);
    EXPECT_TRUE(orvtest::waitFor([&] { return pane("INET") == "互联网：在线"; }));
    EXPECT_EQ(orv::MainWindow::attributionFor(1280),
              QString::fromUtf8(orv::deployment::kAttribution));
    EXPECT_NE(orv::MainWindow::attributionFor(1024), orv::MainWindow::attributionFor(1280));
}

TEST_F(MainWindowTest, TheReaderDialogListsThePcscReadersAndAppliesTheChoice) {
    orvtest::writeSettings(dir_, {"READER=USB"});
    start(cardsim::build(cardsim::realisticSpec()));
    auto pane = [&] { return window_->findChild<QLabel*>("READER")->text(); };
    EXPECT_EQ(pane(), "读卡器：未连接");  // no serial reader, and no Tianyu reader to try
    QStringList offered;
    inReaderDialog([&offered](QComboBox& combo) {
        for (int i = 0; i < combo.count(); ++i)
            offered << combo.itemText(i);
        combo.setCurrentIndex(static_cast<int>(offered.indexOf("Virtual PCD 00 00")));
    });
    ASSERT_GE(offered.size(), 2);
    EXPECT_EQ(offered[0], "USB");
    EXPECT_TRUE(offered.contains("Virtual PCD 00 00"));
    EXPECT_EQ(program_.card->currentReader(), "Virtual PCD 00 00");
    EXPECT_EQ(program_.ini.GetSetting("SYSTEM", "READER", ""), "Virtual PCD 00 00");
    EXPECT_EQ(pane(), "读卡器：已连接");
    readWith("mnuJBXX");  // the chosen reader reads the card
    EXPECT_TRUE(gridShown());
}

// The reader in use, as pcscd lists it, is the one the dialog opens on:
// looking and pressing "确定" keeps it.
TEST_F(MainWindowTest, TheReaderDialogOpensOnTheSavedReader) {
    start(cardsim::build(cardsim::realisticSpec()));  // READER=Virtual PCD 00 00
    QString preselected;
    inReaderDialog([&preselected](QComboBox& combo) { preselected = combo.currentText(); });
    EXPECT_EQ(preselected, "Virtual PCD 00 00");
    EXPECT_EQ(program_.ini.GetSetting("SYSTEM", "READER", ""), "Virtual PCD 00 00");
    EXPECT_EQ(program_.card->currentReader(), "Virtual PCD 00 00");
    readWith("mnuJBXX");
    EXPECT_TRUE(gridShown());
}

// A standard reader as pcscd lists it, and nothing chosen yet: the program
// takes the first reader listed (not the serial "USB", which Linux has not)
// and reads the card without a visit to the reader dialog.
TEST_F(MainWindowTest, AnEmptyReaderSettingTakesTheFirstListedReader) {
    orvtest::writeSettings(dir_, {"READER="});
    start(cardsim::build(cardsim::realisticSpec()));
    EXPECT_EQ(program_.settings.READER, "Virtual PCD 00 00");
    EXPECT_EQ(program_.card->currentReader(), "Virtual PCD 00 00");
    EXPECT_EQ(window_->findChild<QLabel*>("READER")->text(), "读卡器：已连接");
    readWith("mnuJBXX");
    EXPECT_TRUE(gridShown());
    EXPECT_EQ(program_.ini.GetSetting("SYSTEM", "READER", "unset"), "unset");  // nothing written
}

TEST_F(MainWindowTest, ASecondCopyBringsTheMinimisedWindowBack) {
    start(cardsim::build(cardsim::realisticSpec()));
    window_->showMinimized();
    ASSERT_TRUE(window_->isMinimized());
    window_->activate();
    EXPECT_FALSE(window_->isMinimized());
    EXPECT_TRUE(window_->isVisible());
}

// Run with the smart-card service out of reach (its own CTest entry): no
// reader answers, and no wizard opens.
TEST(MainWindowNoReader, CardCommandsSayTheReaderIsNotConnected) {
    MessageBox::takeShown();
    orvtest::TempDir dir;
    orvtest::makeProgramFolder(dir);
    orvtest::FakeWaiter waiter;
    orv::Program program;
    program.waiter = &waiter;
    ASSERT_TRUE(orv::startProgram(program, orvtest::folderOf(dir), {}));
    FixedNetwork network;
    {
        orv::MainWindow window(program, network);
        window.load();
        window.show();
        ASSERT_TRUE(orvtest::waitFor([&] { return window.loaded(); }));
        EXPECT_EQ(window.findChild<QLabel*>("READER")->text(), "读卡器：未连接");
        for (const char* name : {"mnuJBXX", "mnuSBHZ", "mnuFPSYXX", "mnuRJYJL", "mnuCBS", "mnuSBJS",
                                 "mnuQLJS", "mnuClearIC"}) {
            window.findChild<QAction*>(name)->trigger();
            const auto shown = MessageBox::takeShown();
            ASSERT_EQ(shown.size(), 1) << name;
            EXPECT_EQ(shown[0].text, "读卡器未连接，请检查后重试。");
            EXPECT_EQ(shown[0].caption, "提示");
            EXPECT_EQ(shown[0].icon, MessageBox::Icon::Information);
        }
        EXPECT_EQ(window.findChild<orv::NaviWindow*>(), nullptr);
    }
    orv::RecordsDb::close();
}

}  // namespace
