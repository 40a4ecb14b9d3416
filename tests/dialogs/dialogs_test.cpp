// The server dialog, the reader dialog and the about box, driven through
// their controls; what they save is read back by the settings loader.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QToolButton>

#include "base/Deployment.h"
#include "base/Settings.h"
#include "childserver.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/ConnectionTest.h"
#include "dialogs/ReaderDialog.h"
#include "dialogs/ServerDialog.h"
#include "gui/MessageBox.h"
#include "qtwait.h"
#include "shellfakes.h"
#include "tempdir.h"

namespace {

using orv::MessageBox;

const QString kInvalid = QStringLiteral("您输入的数据有误，请重新输入。");

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::takeShown(); }
    QString iniPath() const { return QString::fromStdString(dir_.file("zelReader.ini")); }
    orv::SystemSettings reload() const {
        return orv::LoadSettings(orv::IniFile(iniPath()), [] { return QStringList(); });
    }
    template <typename T>
    static T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void click(QWidget& w, const char* name) {
        QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
    }

    orvtest::TempDir dir_;
    orv::IniFile ini_{iniPath()};
    orv::SystemSettings settings_ = reload();
};

class ServerDialogTest : public DialogTest {
protected:
    void open() {
        dialog_ = std::make_unique<orv::ServerDialog>(settings_, ini_);
        dialog_->show();
    }
    void type(const char* box, const QString& text) {
        QLineEdit* e = child<QLineEdit>(*dialog_, box);
        e->clear();
        QTest::keyClicks(e, text);
    }
    QString info() { return child<QLabel>(*dialog_, "lblInfo")->text(); }
    std::unique_ptr<orv::ServerDialog> dialog_;
};

TEST_F(ServerDialogTest, OpensWithTheSavedValuesAndNamedControls) {
    settings_.IP = "10.1.2.3";
    settings_.PORT = "9000";
    open();
    EXPECT_EQ(dialog_->windowTitle(), "服务器设置");
    EXPECT_EQ(child<QLineEdit>(*dialog_, "txtIP")->text(), "10.1.2.3");
    EXPECT_EQ(child<QLineEdit>(*dialog_, "txtPort")->text(), "9000");
    EXPECT_EQ(child<QLabel>(*dialog_, "Label1")->text(), "服务器地址：");
    EXPECT_EQ(child<QLabel>(*dialog_, "Label2")->buddy(), child<QLineEdit>(*dialog_, "txtPort"));
    EXPECT_EQ(child<QLineEdit>(*dialog_, "txtIP")->accessibleName(), "服务器地址：");
    EXPECT_EQ(child<QPushButton>(*dialog_, "cmdTest")->text(), "测试连接");
    EXPECT_EQ(child<QPushButton>(*dialog_, "cmdOK")->text(), "保存");
    EXPECT_EQ(child<QPushButton>(*dialog_, "cmdCancel")->text(), "取消");
    EXPECT_TRUE(info().isEmpty());
}

TEST_F(ServerDialogTest, ASuccessfulTestSaysSoOnce) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    open();
    type("txtIP", " 127.0.0.1");
    type("txtPort", QString::number(server.serverPort()));
    click(*dialog_, "cmdTest");
    EXPECT_EQ(info(), "正在连接......");
    click(*dialog_, "cmdTest");  // a second click while connecting does nothing
    QList<MessageBox::Shown> shown;
    ASSERT_TRUE(orvtest::waitFor([&] {
        shown += MessageBox::takeShown();
        return !shown.isEmpty();
    }));
    orvtest::waitFor([] { return false; }, 50);
    shown += MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "连接成功！");
    EXPECT_EQ(shown[0].caption, "测试");
    EXPECT_EQ(shown[0].icon, MessageBox::Icon::Information);
    EXPECT_TRUE(info().isEmpty());
    EXPECT_EQ(server.nextPendingConnection() != nullptr, true);
    EXPECT_EQ(server.nextPendingConnection(), nullptr);
    // The typed values were only tried.
    EXPECT_EQ(settings_.PORT, "8085");
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
    EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(ServerDialogTest, ARefusedTestShowsNumberAndDescription) {
    open();
    type("txtIP", "127.0.0.1");
    type("txtPort", QString::number(orvtest::closedPort()));
    click(*dialog_, "cmdTest");
    QList<MessageBox::Shown> shown;
    ASSERT_TRUE(orvtest::waitFor([&] {
        shown += MessageBox::takeShown();
        return !shown.isEmpty();
    }));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QString("连接失败！\n") + QString(30, ' ') +
                                 "\n\n10061:服务器拒绝连接（地址或端口不对，或服务器没有运行）");
    EXPECT_EQ(shown[0].caption, "错误");
    EXPECT_EQ(shown[0].icon, MessageBox::Icon::Exclamation);
    EXPECT_TRUE(info().isEmpty());
}

TEST_F(ServerDialogTest, InvalidInputIsRefusedOnTestAndOnSave) {
    open();
    type("txtIP", "192.168.1.256");
    click(*dialog_, "cmdTest");
    click(*dialog_, "cmdOK");
    type("txtIP", "192.168.1.1");
    type("txtPort", "65536");
    click(*dialog_, "cmdOK");
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 3);
    for (const auto& s : shown) {
        EXPECT_EQ(s.text, kInvalid);
        EXPECT_EQ(s.caption, "错误");
        EXPECT_EQ(s.icon, MessageBox::Icon::Exclamation);
    }
    EXPECT_TRUE(info().isEmpty());
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
}

TEST_F(ServerDialogTest, SaveWritesTheTrimmedValuesThatTheLoaderReadsBack) {
    open();
    type("txtIP", "  10.0.0.1 ");
    type("txtPort", " 9001 ");
    click(*dialog_, "cmdOK");
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.IP, "10.0.0.1");
    EXPECT_EQ(settings_.PORT, "9001");
    const orv::SystemSettings back = reload();
    EXPECT_EQ(back.IP, "10.0.0.1");
    EXPECT_EQ(back.PORT, "9001");
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(ServerDialogTest, UnchangedValuesCloseWithoutCheckingOrWriting) {
    settings_.IP = "999.1.1.1";  // would not pass the check
    settings_.PORT = "0";
    open();
    click(*dialog_, "cmdOK");
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
}

TEST_F(ServerDialogTest, CancelDuringATestClosesItAndSavesNothing) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    open();
    type("txtIP", "127.0.0.1");
    type("txtPort", QString::number(server.serverPort()));
    click(*dialog_, "cmdTest");
    ASSERT_EQ(info(), "正在连接......");
    click(*dialog_, "cmdCancel");
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    auto* test = dialog_->findChild<orv::ConnectionTest*>("sockTest");
    ASSERT_NE(test, nullptr);
    EXPECT_FALSE(test->running());
    orvtest::waitFor([] { return false; }, 100);
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(settings_.IP, "127.0.0.1");
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
}

class ReaderDialogTest : public DialogTest {
protected:
    void open(const QStringList& readers) {
        hooks_ = {[readers] { return readers; }, [this](const QString& r) { applied_ << r; },
                  [this] { ++refreshed_; }};
        dialog_ = std::make_unique<orv::ReaderDialog>(settings_, ini_, hooks_);
        dialog_->show();
        combo_ = child<QComboBox>(*dialog_, "cboReader");
    }
    QStringList entries() const {
        QStringList out;
        for (int i = 0; i < combo_->count(); ++i)
            out << combo_->itemText(i);
        return out;
    }
    orv::ReaderDialogHooks hooks_;
    QStringList applied_;
    int refreshed_ = 0;
    std::unique_ptr<orv::ReaderDialog> dialog_;
    QComboBox* combo_ = nullptr;
};

TEST(ReaderChoices, OfferUsbThenTheReadersAndPreselectTheSavedOneElseTianyu) {
    auto c = orv::readerChoices({});
    EXPECT_EQ(c.entries, QStringList{"USB"});
    EXPECT_EQ(c.selected, 0);
    const QStringList three{"Other Maker Reader 0", "Some TianYu CCID 01", "tianyu second"};
    c = orv::readerChoices(three);
    EXPECT_EQ(c.entries,
              (QStringList{"USB", "Other Maker Reader 0", "Some TianYu CCID 01", "tianyu second"}));
    EXPECT_EQ(c.selected, 2);
    EXPECT_EQ(orv::readerChoices(three, "tianyu second").selected, 3);
    EXPECT_EQ(orv::readerChoices(three, "USB").selected, 0);
    EXPECT_EQ(orv::readerChoices(three, "COM3").selected, 2);  // not listed: the rule
    EXPECT_EQ(orv::readerChoices(three, "other maker reader 0").selected, 2);  // names are exact
    c = orv::readerChoices({"Other Maker Reader 0", "Virtual PCD 00 00"});
    EXPECT_EQ(c.selected, 0);
}

// Opening the dialog to look and pressing "确定" keeps a working setting.
TEST_F(ReaderDialogTest, PreselectsTheSavedReaderSoThatOkKeepsIt) {
    settings_.READER = "Other Maker Reader 0";
    open({"Other Maker Reader 0", "Tianyu CCID 00 00"});
    EXPECT_EQ(dialog_->windowTitle(), "读卡器设置");
    EXPECT_EQ(entries(), (QStringList{"USB", "Other Maker Reader 0", "Tianyu CCID 00 00"}));
    EXPECT_EQ(combo_->currentText(), "Other Maker Reader 0");
    EXPECT_EQ(child<QLabel>(*dialog_, "Label1")->text(), "读卡器：");
    click(*dialog_, "cmdOK");
    EXPECT_EQ(settings_.READER, "Other Maker Reader 0");
    EXPECT_EQ(applied_, QStringList{"Other Maker Reader 0"});
    EXPECT_EQ(refreshed_, 1);
    EXPECT_EQ(reload().READER, "Other Maker Reader 0");
    EXPECT_FALSE(dialog_->isVisible());
}

TEST_F(ReaderDialogTest, ASavedReaderThatIsNotListedGivesWayToTianyu) {
    settings_.READER = "COM3";
    open({"Other Maker Reader 0", "Tianyu CCID 00 00"});
    EXPECT_EQ(combo_->currentText(), "Tianyu CCID 00 00");
    click(*dialog_, "cmdOK");
    EXPECT_EQ(reload().READER, "Tianyu CCID 00 00");
}

TEST_F(ReaderDialogTest, WithoutReadersOnlyUsbIsOfferedAndChosen) {
    settings_.READER = "COM3";
    open({});
    EXPECT_EQ(entries(), QStringList{"USB"});
    click(*dialog_, "cmdOK");
    EXPECT_EQ(reload().READER, "USB");
    EXPECT_EQ(applied_, QStringList{"USB"});
}

TEST_F(ReaderDialogTest, TheChosenEntryIsAppliedAndCancelChangesNothing) {
    open({"Reader A", "Reader B"});
    combo_->setCurrentIndex(2);
    click(*dialog_, "cmdCancel");
    EXPECT_TRUE(applied_.isEmpty());
    EXPECT_EQ(refreshed_, 0);
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
    open({"Reader A", "Reader B"});
    combo_->setCurrentIndex(2);
    click(*dialog_, "cmdOK");
    EXPECT_EQ(applied_, QStringList{"Reader B"});
    EXPECT_EQ(reload().READER, "Reader B");
}

class AboutDialogTest : public DialogTest {
protected:
    orvtest::RecordingDesktop desktop_;
};

TEST_F(AboutDialogTest, ShowsTheBuildsVersionAndTheDeploymentTexts) {
    orv::AboutDialog about(desktop_, [] { return orv::SystemInfoProgram{}; });
    about.show();
    EXPECT_EQ(about.windowTitle(), "关于 Orvane");
    // The version CMake sets, as the build passed it to this test.
    const QString version = QStringLiteral(ORV_PROJECT_VERSION);
    EXPECT_EQ(child<QLabel>(about, "lblVersion")->text(), "Orvane\nV" + version);
    EXPECT_EQ(child<QLabel>(about, "lblTitle")->text(), "Orvane V" + version.section('.', 0, 1));
    EXPECT_EQ(child<QLabel>(about, "lblDisclaimer")->text(),
              QString::fromUtf8(orv::deployment::kAboutNotice) + "\n\n" +
                  QString::fromUtf8(orv::deployment::kAboutAuthority));
    EXPECT_FALSE(child<QLabel>(about, "lblDescription")->text().isEmpty());
    EXPECT_NE(about.findChild<QFrame*>("Line1"), nullptr);
    for (const char* p : {"Image1", "Picture1"}) {
        auto* b = child<QToolButton>(about, p);
        EXPECT_FALSE(b->icon().isNull()) << p;
        EXPECT_FALSE(b->accessibleName().isEmpty()) << p;
    }
    click(about, "cmdOK");
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutDialogTest, ThePicturesOpenTheVendorsSites) {
    orv::AboutDialog about(desktop_, [] { return orv::SystemInfoProgram{}; });
    about.show();
    QTest::mouseClick(child<QToolButton>(about, "Image1"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>(about, "Picture1"), Qt::LeftButton);
    EXPECT_EQ(desktop_.opened, (QList<QUrl>{QUrl(orv::deployment::kProductSite),
                                            QUrl(orv::deployment::kVendorSite)}));
}

TEST_F(AboutDialogTest, SystemInformationStartsTheProgramFoundOrSaysThereIsNone) {
    orv::SystemInfoProgram found;
    orv::AboutDialog about(desktop_, [&] { return found; });
    about.show();
    click(about, "cmdSysInfo");
    auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "此时系统信息不可用");
    EXPECT_EQ(shown[0].caption, "Orvane");
    EXPECT_EQ(shown[0].buttons, MessageBox::Buttons::Ok);
    EXPECT_TRUE(desktop_.started.isEmpty());
    found.program = "/usr/bin/hardinfo";
    click(about, "cmdSysInfo");
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(desktop_.started, QStringList{"/usr/bin/hardinfo"});
}

}  // namespace
