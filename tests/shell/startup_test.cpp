// Start-up from a program folder: the order of its steps, each fatal
// message, and what a failed start leaves untouched.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include "card/RecordsDb.h"
#include "fakes.h"
#include "gui/MessageBox.h"
#include "nopermission.h"
#include "programfolder.h"
#include "shell/Program.h"
#include "shell/ProgramMain.h"
#include "shell/Startup.h"

namespace {

using orv::MessageBox;
using orvtest::folderOf;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::takeShown(); }
    void TearDown() override { orv::RecordsDb::close(); }

    bool start(orvtest::ProgramFolderParts parts = {}) {
        orvtest::makeProgramFolder(dir_, parts);
        return startFolder();
    }
    bool startFolder() {
        program_.waiter = &waiter_;
        return orv::startProgram(program_, folderOf(dir_),
                                 orv::StartupSteps{[this](orv::Program& p) {
                                     pendingUpdateSawLog_ = p.log != nullptr;
                                     ++pendingUpdates_;
                                 }});
    }
    // The one message a failed start showed.
    void expectFatal(const QString& text) {
        const auto shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, "错误");
        EXPECT_EQ(shown[0].icon, MessageBox::Icon::Critical);
        EXPECT_FALSE(orv::RecordsDb::connection().isOpen());
        EXPECT_FALSE(QDir(folderOf(dir_) + "/Log").exists()) << "a failed start wrote a log";
        EXPECT_EQ(pendingUpdates_, 0);
    }

    orvtest::TempDir dir_;
    orvtest::FakeWaiter waiter_;
    orv::Program program_;
    int pendingUpdates_ = 0;
    bool pendingUpdateSawLog_ = false;
};

TEST_F(StartupTest, CompleteFolderStartsWithItsSettingsAndReader) {
    orvtest::makeProgramFolder(dir_);
    orvtest::writeSettings(dir_, {"READER=Virtual PCD 00 01", "PORT=9000"});
    ASSERT_TRUE(startFolder());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(pendingUpdates_, 1);
    EXPECT_TRUE(pendingUpdateSawLog_);  // the log exists before the update step
    EXPECT_TRUE(orv::RecordsDb::connection().isOpen());
    EXPECT_EQ(program_.settings.PORT, "9000");
    EXPECT_EQ(program_.card->currentReader(), "Virtual PCD 00 01");
    EXPECT_EQ(program_.readingClip, folderOf(dir_) + "/zelSC.dll");
    EXPECT_EQ(program_.writingClip, folderOf(dir_) + "/zelSCC.dll");
    EXPECT_EQ(program_.settingsPath, folderOf(dir_) + "/zelReader.ini");
    EXPECT_TRUE(program_.helpPath.isEmpty());  // no help file: no message either
    QFile log(program_.log->LogFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Start V"));
}

TEST_F(StartupTest, HelpFileIsFoundWhenPresent) {
    orvtest::writeFile(dir_.file(orv::helpFileName().toStdString()), "help");
    ASSERT_TRUE(start());
    EXPECT_EQ(program_.helpPath, folderOf(dir_) + "/" + orv::helpFileName());
}

TEST_F(StartupTest, MissingReadingOrWritingClipEndsTheProgram) {
    for (const QString& missing : {orv::kReadingClip, orv::kWritingClip}) {
        SCOPED_TRACE(missing.toStdString());
        orvtest::TempDir dir;
        orvtest::makeProgramFolder(dir);
        QFile::remove(folderOf(dir) + "/" + missing);
        orv::Program program;
        EXPECT_FALSE(orv::startProgram(program, folderOf(dir), {}));
        const auto shown = MessageBox::takeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, "动态库文件未找到！");
        EXPECT_FALSE(orv::RecordsDb::connection().isOpen());
        EXPECT_FALSE(QDir(folderOf(dir) + "/Log").exists());
    }
}

TEST_F(StartupTest, MissingDatabaseEndsTheProgram) {
    EXPECT_FALSE(start({.database = false}));
    expectFatal("数据库文件未找到！");
}

TEST_F(StartupTest, FileThatIsNoDatabaseCannotBeOpened) {
    orvtest::makeProgramFolder(dir_, {.database = false});
    orvtest::writeFile(dir_.file("orv.db"), std::string(4096, 'x'));
    EXPECT_FALSE(startFolder());
    expectFatal("打开数据库错误！");
}

TEST_F(StartupTest, UnreadableDatabaseCannotBeOpened) {
    orvtest::makeProgramFolder(dir_);
    orvtest::NoPermission unreadable(dir_.file("orv.db"));
    ASSERT_TRUE(unreadable.effective());
    EXPECT_FALSE(startFolder());
    expectFatal("打开数据库错误！");
}

TEST_F(StartupTest, MissingReaderLibraryStartsWithoutCardFunctions) {
    ASSERT_TRUE(start({.readerLibrary = false}));
    EXPECT_EQ(program_.card->GetReaderStatus(), 0);
    QFile log(program_.log->LogFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().count("zelreader: "), 1);
}

}  // namespace

namespace {

// Qt's own texts: standard buttons read as the desktop's Chinese ones.
TEST(Translations, StandardButtonsAreChinese) {
    orvtest::TempDir dir;
    orv::installTranslations(*QCoreApplication::instance(), folderOf(dir));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "确定");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "取消");
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
}

}  // namespace
