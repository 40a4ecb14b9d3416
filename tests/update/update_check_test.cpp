// The update check end to end against the test update server: the manifest
// (SET, MSG, UPDATE), the package with its digests, the hand-over to the
// updater, and what is logged.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "base/AppLog.h"
#include "base/Settings.h"
#include "base/Text.h"
#include "fakes.h"
#include "gui/MessageBox.h"
#include "qtprint.h"
#include "service/MsgWindow.h"
#include "update/Digests.h"
#include "update/Downloader.h"
#include "update/UpdateCheck.h"
#include "update/UpdateHost.h"
#include "updsim.h"

namespace {

using orv::MessageBox;

class FakeHost : public orv::UpdateHost {
public:
    explicit FakeHost(const QString& settingsPath) : ini(settingsPath) {
        settings = orv::LoadSettings(ini, {});
    }
    QWidget* window() override { return nullptr; }
    void reloadSettings() override {
        ++reloads;
        settings = orv::LoadSettings(ini, {});
    }
    void showStatus(bool full) override { statuses.push_back(full); }
    bool wizardBusy() override {
        ++busyChecks;
        // The message must not come while the wizard is busy.
        EXPECT_TRUE(MessageBox::takeShown().isEmpty());
        return busyChecks <= busyFor;
    }
    void closeOtherWindows() override { ++othersClosed; }
    void closeProgram() override { ++closed; }

    orv::IniFile ini;
    orv::SystemSettings settings;
    int reloads = 0, busyFor = 0, busyChecks = 0, othersClosed = 0, closed = 0;
    std::vector<bool> statuses;
};

class FakeStarter : public orv::ProgramStarter {
public:
    bool start(const QString& program, const QStringList& arguments, QString* error) override {
        calls.push_back({program, arguments});
        if (fail) *error = QStringLiteral("Process failed to start: No such file or directory");
        return !fail;
    }
    struct Call {
        QString program;
        QStringList arguments;
    };
    std::vector<Call> calls;
    bool fail = false;
};

QByteArray package() {
    QByteArray p(30000, '\0');
    for (int i = 0; i < p.size(); ++i)
        p[i] = static_cast<char>(i * 7);
    return p;
}

class Check : public ::testing::Test {
protected:
    Check()
        : folder(QString::fromStdString(dir.path().string())),
          host(folder + "/zelReader.ini"),
          log(folder, clock),
          check(host, downloader, log, waiter, starter,
                {folder, folder + "/zelReader.ini", "orvane", 1, 2, 3}) {
        orvtest::writeFile(dir.file("zelUpdate"), "updater");
        MessageBox::setAnswering(true);
        sim.put("pkg.bin", package());
    }
    // Serves the manifest, runs the check to its end.
    void run(const QString& manifest) {
        sim.put("zel_orv.aup", orv::toGbk(manifest));
        check.start(sim.url("zel_orv.aup"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return downloader.running() == 0; }, 10000));
    }
    QString update(const QString& keys) const {
        return "[UPDATE]\r\nVersion=1.2.4\r\nHREF=" + sim.url("pkg.bin") + "\r\n" + keys;
    }
    // The program log's lines after its start line.
    QStringList logLines() const {
        const QString all = orv::fromGbk(
            QByteArray::fromStdString(orvtest::readFile(dir.file("Log/Log20120303.txt"))));
        QStringList lines;
        for (const QString& l : all.split("\r\n", Qt::SkipEmptyParts))
            lines << l.mid(20);
        return lines.mid(1);
    }
    QStringList tempFiles() const { return QDir(folder).entryList({"tmp*.tmp"}, QDir::Files); }
    orv::Digests digests() const { return orv::digestsOf(package()); }

    orvtest::TempDir dir;
    QString folder;
    orvtest::UpdSim sim;
    orvtest::FakeClock clock;
    orvtest::FakeWaiter waiter;
    FakeHost host;
    FakeStarter starter;
    orv::AppLog log;
    orv::Downloader downloader;
    orv::UpdateCheck check;
};

TEST_F(Check, SetEntriesGoIntoSystemAndTakeEffectAtOnce) {
    EXPECT_EQ(host.settings.PORT, "8085");
    run("[SET]\r\nPORT=9000\r\nIP=10.0.0.5\r\n=skipped\r\nnovalue\r\n");
    EXPECT_EQ(host.reloads, 1);
    EXPECT_EQ(host.statuses, (std::vector<bool>{true}));
    EXPECT_EQ(host.settings.PORT, "9000");  // the next server exchange uses it
    EXPECT_EQ(host.settings.IP, "10.0.0.5");
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "PORT", ""), "9000");
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "novalue", "none"), "none");
    EXPECT_TRUE(tempFiles().isEmpty());  // the manifest file is gone
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(Check, WithoutSetNothingIsReloaded) {
    run("[MSG]\r\n[UPDATE]\r\nVersion=1.2.3\r\n");
    EXPECT_EQ(host.reloads, 0);
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_EQ(check.noticeWindow(), nullptr);
}

TEST_F(Check, ANoticeIsShownOnceUnderItsKey) {
    host.ini.SaveSetting("MSG", "n1", QStringLiteral("旧通知"));
    run(QStringLiteral("[MSG]\r\nn1=改过的旧通知\r\nn2=新通知\r\nn3=\r\n"));
    orv::MsgWindow* w = check.noticeWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->notices().count(), 1);
    EXPECT_EQ(w->notices().current(), QStringLiteral("新通知"));
    EXPECT_EQ(host.ini.GetSetting("MSG", "n1", ""), QStringLiteral("旧通知"));
    EXPECT_EQ(host.ini.GetSetting("MSG", "n2", ""), QStringLiteral("新通知"));
    check.closeNotices();
    ASSERT_TRUE(QTest::qWaitFor([&] { return check.noticeWindow() == nullptr; }, 2000));

    // The same manifest at the next start shows nothing.
    run(QStringLiteral("[MSG]\r\nn1=改过的旧通知\r\nn2=新通知\r\n"));
    EXPECT_EQ(check.noticeWindow(), nullptr);
}

TEST_F(Check, AVersionThatIsNotNewerDownloadsNothing) {
    for (const char* version : {"1.2.3", "1.2.2", "1.2", "1.2.4.0", ""}) {
        run(QStringLiteral("[UPDATE]\r\nVersion=%1\r\nHREF=%2\r\n")
                .arg(version, sim.url("pkg.bin")));
    }
    for (const QString& r : sim.requests())
        EXPECT_TRUE(r.startsWith("GET /zel_orv.aup ")) << r.toStdString();
    EXPECT_TRUE(starter.calls.empty());
}

TEST_F(Check, AVerifiedPackageIsStoredAndHandedToTheUpdater) {
    const orv::Digests d = digests();
    run(update("Type=1\r\nSHA1=" + d.SHA1 + "\r\nMD5=" + d.MD5 + "\r\nSHA256=" + d.SHA256 +
               "\r\nPara=/s /q\r\nWAIT=1\r\nRUN=-\r\nName=Orvane\r\n"));
    const QStringList stored = tempFiles();
    ASSERT_EQ(stored.size(), 1);  // the package; the manifest file is gone
    QFile f(folder + "/" + stored[0]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), package());

    ASSERT_EQ(starter.calls.size(), 1u);
    EXPECT_EQ(starter.calls[0].program, folder + "/zelUpdate");
    EXPECT_EQ(starter.calls[0].arguments, (QStringList{"-LEZ", "-T1", "-Eorvane", "-U" + stored[0],
                                                       "-P[/s$/q]", "-W1", "-R-"}));
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("已下载本系统最新版本，程序将关闭后自动升级。"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(shown[0].icon, MessageBox::Icon::Information);
    EXPECT_EQ(logLines(), QStringList{"Update:Start"});
    EXPECT_EQ(host.othersClosed, 1);
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(check.updateInfo().Name, "Orvane");
}

TEST_F(Check, TheHandOverWaitsForABusyWizard) {
    host.busyFor = 3;
    run(update("Type=1\r\n"));
    EXPECT_EQ(host.busyChecks, 4);
    EXPECT_EQ(waiter.waits.size(), 3u);
    EXPECT_EQ(MessageBox::takeShown().size(), 1);
    EXPECT_EQ(host.closed, 1);
}

TEST_F(Check, NoticesCloseBeforeTheHandOver) {
    run(update("Type=1\r\n") + QStringLiteral("[MSG]\r\nn9=升级通知\r\n"));
    EXPECT_EQ(host.closed, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return check.noticeWindow() == nullptr; }, 2000));
}

TEST_F(Check, WithoutDigestsThePackageIsTakenAsItIs) {
    run(update("Type=2\r\nSHA1=\r\nMD5=\r\n"));
    ASSERT_EQ(starter.calls.size(), 1u);
    EXPECT_EQ(starter.calls[0].arguments.mid(0, 3), (QStringList{"-LEZ", "-T2", "-Eorvane"}));
    EXPECT_EQ(starter.calls[0].arguments.size(), 4);  // no -P, -W, -R
}

TEST_F(Check, AnEmptyTypeStillHandsOverAndCloses) {
    run(update("Type=\r\n"));
    ASSERT_EQ(starter.calls.size(), 1u);
    EXPECT_EQ(starter.calls[0].arguments[1], "-T");
    EXPECT_EQ(host.closed, 1);
}

TEST_F(Check, ADigestMismatchDiscardsThePackage) {
    const orv::Digests d = digests();
    const struct {
        QString keys;
        QStringList lines;
    } cases[] = {
        // Lower-case digits do not match: the comparison is exact.
        {"SHA1=" + d.SHA1.toLower(),
         {"AutoUpdate:SHA1 Error", "UpdateSHA1:" + d.SHA1.toLower(), "DownSHA1:" + d.SHA1}},
        {"SHA1=" + d.SHA1 + "\r\nMD5=" + QString(32, 'A'),
         {"AutoUpdate:MD5 Error", "UpdateMD5:" + QString(32, 'A'), "DownMD5:" + d.MD5}},
        {"MD5=" + d.MD5.toLower(),
         {"AutoUpdate:MD5 Error", "UpdateMD5:" + d.MD5.toLower(), "DownMD5:" + d.MD5}},
        {"SHA256=" + QString(64, '0'),
         {"AutoUpdate:SHA256 Error", "UpdateSHA256:" + QString(64, '0'), "DownSHA256:" + d.SHA256}},
    };
    for (const auto& c : cases) {
        const qsizetype before = logLines().size();
        run(update("Type=1\r\n" + c.keys + "\r\n"));
        EXPECT_EQ(logLines().mid(before), c.lines) << c.keys.toStdString();
        EXPECT_TRUE(tempFiles().isEmpty());
        EXPECT_TRUE(starter.calls.empty());
        EXPECT_EQ(host.closed, 0);
        EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    }
}

TEST_F(Check, FailedDownloadsEndTheCheckSilently) {
    // The manifest missing or too large, the package missing.
    run("");
    sim.put("big.aup", QByteArray(1024 * 1024 + 1, 'x'));
    check.start(sim.url("big.aup"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return downloader.running() == 0; }, 10000));
    QString manifest = update("Type=1\r\n");
    run(manifest.replace("pkg.bin", "missing.bin"));
    check.start(sim.url("missing.aup"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return downloader.running() == 0; }, 10000));
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(starter.calls.empty());
}

TEST_F(Check, ADownloadThatCannotStartIsLogged) {
    check.start("ftp://127.0.0.1/zel_orv.aup");
    run(update("Type=1\r\n").replace(sim.url("pkg.bin"), "nonsense"));
    EXPECT_EQ(logLines(), (QStringList{"AutoUpdate:Not an http or https address: "
                                       "ftp://127.0.0.1/zel_orv.aup",
                                       "AutoUpdate:Not an http or https address: nonsense"}));
}

TEST_F(Check, AnUnknownKeyIsLogged) {
    check.onDownloadComplete("other", "data", orv::Downloader::kByteArray);
    EXPECT_EQ(logLines(), QStringList{"DownloadCompleteErr:other\t"});
}

TEST_F(Check, AManifestThatCannotBeStoredIsLogged) {
    // The program folder cannot take a temp file: a file stands where the
    // folder should be.
    orvtest::TempDir other;
    orvtest::writeFile(other.file("notafolder"), "");
    orv::UpdateCheck blocked(host, downloader, log, waiter, starter,
                             {QString::fromStdString(other.file("notafolder")),
                              folder + "/zelReader.ini", "orvane", 1, 2, 3});
    blocked.onDownloadComplete("zel_orv", "[SET]\r\nPORT=1\r\n", orv::Downloader::kByteArray);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("DownloadCompleteErr:zel_orv\t")) << lines[0].toStdString();
    EXPECT_GT(lines[0].size(), QString("DownloadCompleteErr:zel_orv\t").size());
    EXPECT_EQ(host.reloads, 0);
}

TEST_F(Check, WithoutTheUpdaterTheProgramRunsOn) {
    QFile::remove(folder + "/zelUpdate");
    run(update("Type=1\r\n"));
    EXPECT_EQ(logLines(), QStringList{"Update:" + folder + "/zelUpdate not found"});
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(host.closed, 0);
}

TEST_F(Check, AnUpdaterThatDoesNotStartLeavesTheProgramRunning) {
    starter.fail = true;
    run(update("Type=1\r\n"));
    EXPECT_EQ(
        logLines(),
        (QStringList{"Update:Start", "Update:Process failed to start: No such file or directory"}));
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_EQ(host.closed, 0);
}

// Regression (found by manifest_fuzz): a manifest value holding a blank
// shifted the updater's words; the program closed and the updater ignored
// its command line, so nothing was updated and nothing started again.
TEST_F(Check, ACommandTheUpdaterWouldMisreadLeavesTheProgramRunning) {
    run(update("Type=1\r\nWAIT=1 -Eother\r\n"));
    EXPECT_EQ(
        logLines(),
        QStringList{"Update:the updater would read other file names (a value holds a blank)"});
    EXPECT_TRUE(starter.calls.empty());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    EXPECT_EQ(host.closed, 0);
}

TEST_F(Check, ErrorsWithNumberZeroAreNotLogged) {
    check.onDownloadError("zel_orv", 0, "An Error Has Occurred.");
    check.onDownloadError("auto_update", 301, "bad address");
    EXPECT_EQ(logLines(), QStringList{"AutoUpdate:bad address"});
}

}  // namespace
