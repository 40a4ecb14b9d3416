// Whoever serves the manifest, or sits between the program and a plain-http
// update server, through the real main window and the test update server:
// markup in MSG and SET is shown as it stands, a bad signature changes
// nothing, and a RUN naming the updater's backup is never announced. In
// every case the window stays responsive and orv.db stays as it was.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "base/Text.h"
#include "card/RecordsDb.h"
#include "fakes.h"
#include "fifowatch.h"
#include "gui/MessageBox.h"
#include "programfolder.h"
#include "qtprint.h"
#include "service/MsgWindow.h"
#include "shell/MainWindow.h"
#include "shell/NetworkState.h"
#include "shell/Program.h"
#include "shell/Startup.h"
#include "update/Downloader.h"
#include "update/UpdateFiles.h"
#include "update/UpdateHost.h"
#include "updsim.h"

namespace {

using orv::MessageBox;

class Online : public orv::NetworkState {
public:
    bool online() override { return true; }
};
class RecordingStarter : public orv::ProgramStarter {
public:
    bool start(const QString& program, const QStringList&, QString*) override {
        started << program;
        return true;
    }
    QStringList started;
};

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Hostile : public ::testing::Test {
protected:
    Hostile() : sim(true), fifo(dir.file("picture")) {}
    void SetUp() override {
        MessageBox::setAnswering(true);
        ASSERT_TRUE(fifo.made());
        orvtest::makeProgramFolder(dir);
        orvtest::writeFile(dir.file(orv::update::kUpdaterFile.toStdString()), "updater");
        orvtest::writeSettings(
            dir, {"READER=none", "IP=10.0.0.1", "AUTOUPDATE=" + sim.url("zel_orv.aup")});
    }
    void TearDown() override {
        window.reset();
        orv::RecordsDb::close();
    }
    // Starts the program; returns once its update check has ended.
    void run(int requests) {
        program.waiter = &waiter;
        ASSERT_TRUE(orv::startProgram(program, folder(), {}));
        records = contentOf(folder() + "/orv.db");
        window = std::make_unique<orv::MainWindow>(program, network, &starter);
        window->load();
        window->show();
        auto* downloader = window->findChild<orv::Downloader*>("ucDownloader1");
        ASSERT_NE(downloader, nullptr);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return sim.requests().size() >= requests && downloader->running() == 0; },
            20000));
        // Everything drawn, as a user would see it: a picture named in a
        // text would be loaded now.
        window->grab();
        if (auto* notices = window->findChild<orv::MsgWindow*>()) notices->grab();
    }
    QString folder() const { return orvtest::folderOf(dir); }
    QString pane(const char* key) const { return window->findChild<QLabel*>(key)->text(); }
    // The window answers events, nothing was announced or started, and the
    // records are as they were.
    void expectUnharmed() {
        bool ticked = false;
        QTimer::singleShot(0, [&] { ticked = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return ticked; }, 1000));
        EXPECT_FALSE(fifo.opened()) << "a picture named by the manifest was loaded";
        EXPECT_TRUE(MessageBox::takeShown().isEmpty());
        EXPECT_TRUE(starter.started.isEmpty());
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(contentOf(folder() + "/orv.db"), records);
    }
    QStringList logLines() const {
        QStringList lines;
        for (const QString& l :
             orv::fromGbk(orvtest::logsOf(folder())).split("\r\n", Qt::SkipEmptyParts))
            if (l.mid(20).startsWith("AutoUpdate:") || l.mid(20).startsWith("Update:"))
                lines << l.mid(20);
        return lines;
    }

    orvtest::TempDir dir;
    orvtest::UpdSim sim;
    orvtest::FifoWatch fifo;
    orvtest::FakeWaiter waiter;
    Online network;
    RecordingStarter starter;
    orv::Program program;
    std::unique_ptr<orv::MainWindow> window;
    QByteArray records;
};

TEST_F(Hostile, MarkupInMsgAndSetIsShownAsItStands) {
    const QString picture = "<img src=" + QString::fromStdString(fifo.path()) + ">";
    sim.put("zel_orv.aup",
            orv::toGbk("[SET]\r\nIP=" + picture + "\r\nPORT=<b>1</b>\r\n[MSG]\r\nn1=" + picture +
                       "\r\nn2=a<br>b &lt; c\r\n"));
    run(2);
    EXPECT_EQ(pane("IP"), "服务器地址：" + picture);
    EXPECT_EQ(pane("PORT"), "服务器端口：<b>1</b>");
    auto* notices = window->findChild<orv::MsgWindow*>();
    ASSERT_NE(notices, nullptr);
    auto* text = notices->findChild<QLabel*>("lblMsg");
    EXPECT_EQ(text->text(), picture);
    QTest::mouseClick(text, Qt::LeftButton);
    EXPECT_EQ(text->text(), "a<br>b &lt; c");
    notices->grab();
    expectUnharmed();
}

TEST_F(Hostile, ABadSignatureChangesNothing) {
    const QByteArray manifest = "[SET]\r\nIP=10.6.6.6\r\n[MSG]\r\nn1=bad\r\n";
    sim.put("zel_orv.aup", manifest);
    // Signed by the key, but for other bytes.
    sim.put("zel_orv.aup.sig",
            "MEQCIDlrzXl4itlmf+80cN9wfLaHdJTOJ0jAphw4oDGOkG92AiBvwQdxdb4w3juPZdsXpclvt1a3R9rEO+"
            "CeZ3w0OKLeZg==\n");
    const QByteArray settings = contentOf(folder() + "/zelReader.ini");
    run(2);
    EXPECT_EQ(pane("IP"), "服务器地址：10.0.0.1");
    EXPECT_EQ(window->findChild<orv::MsgWindow*>(), nullptr);
    EXPECT_EQ(contentOf(folder() + "/zelReader.ini"), settings);
    EXPECT_EQ(logLines(), QStringList{"AutoUpdate:the manifest's signature does not verify; the "
                                      "manifest was ignored"});
    expectUnharmed();
}

TEST_F(Hostile, ARunNamingTheUpdatersBackupIsNeverAnnounced) {
    QByteArray package = orv::update::kProgramMagic + QByteArray(5000, 'p');
    sim.put("pkg.bin", package);
    const QString sha256 =
        QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex().toUpper();
    sim.put("zel_orv.aup", ("[UPDATE]\r\nVersion=99.0.0\r\nType=1\r\nHREF=" + sim.url("pkg.bin") +
                            "\r\nSHA256=" + sha256 +
                            "\r\nRUN=zelUpdate.bak\r\nPara=-LEZ$-T1$-Eorv.db$-Utmp1.tmp\r\n")
                               .toLatin1());
    run(3);
    EXPECT_EQ(logLines(), QStringList{"Update:the updater would refuse its command line: the -R "
                                      "file is the updater's backup"});
    EXPECT_TRUE(QDir(folder()).entryList({"tmp*"}, QDir::Files).isEmpty());
    expectUnharmed();
}

}  // namespace
