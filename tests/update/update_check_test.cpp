// The update check end to end against the test update server: the manifest
// (SET, MSG, UPDATE), the package with its digests, the hand-over to the
// updater, and what is logged.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTest>

#include "base/AppLog.h"
#include "base/Deployment.h"
#include "base/Settings.h"
#include "base/Text.h"
#include "fakes.h"
#include "gui/MessageBox.h"
#include "qtprint.h"
#include "service/MsgWindow.h"
#include "update/Digests.h"
#include "update/Downloader.h"
#include "update/UpdateCheck.h"
#include "update/UpdateFiles.h"
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
        // The reader list must not be asked for inside a card call.
        EXPECT_FALSE(cardWasBusy);
        ++reloads;
        settings = orv::LoadSettings(ini, {});
    }
    void showStatus(bool full) override { statuses.push_back(full); }
    bool cardBusy() override {
        ++cardChecks;
        cardWasBusy = cardChecks <= cardBusyFor;
        return cardWasBusy;
    }
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
    int cardBusyFor = 0, cardChecks = 0;
    bool cardWasBusy = false;
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

// The running program 1.2.3, "orvane", in `folder`.
orv::ProgramIdentity identityIn(const QString& folder, const QString& settings) {
    orv::ProgramIdentity p;
    p.folder = folder;
    p.settingsPath = settings;
    p.exeName = "orvane";
    p.major = 1;
    p.minor = 2;
    p.revision = 3;
    return p;
}

// A program of this system as far as its first bytes tell.
QByteArray package() {
    QByteArray p(30000, '\0');
    for (int i = 0; i < p.size(); ++i)
        p[i] = static_cast<char>(i * 7);
    return p.replace(0, orv::update::kProgramMagic.size(), orv::update::kProgramMagic);
}

class Check : public ::testing::Test {
protected:
    Check()
        : folder(QString::fromStdString(dir.path().string())),
          host(folder + "/zelReader.ini"),
          log(folder, clock),
          check(host, downloader, log, starter, identityIn(folder, folder + "/zelReader.ini")) {
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

// Regression: the hand-over waited for the wizard in a loop of its own
// inside the download event, which could itself run inside one of the
// wizard's waits: the wizard below could then never finish.
TEST_F(Check, TheHandOverWaitsForABusyWizardFromTheEventLoop) {
    host.busyFor = 3;
    int checksWhenTheEventReturned = -1;
    QObject::connect(&downloader, &orv::Downloader::DownloadComplete, [&](const QString& key) {
        if (key == "auto_update") checksWhenTheEventReturned = host.busyChecks;
    });
    run(update("Type=1\r\n"));
    EXPECT_EQ(checksWhenTheEventReturned, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.closed == 1; }, 5000));
    EXPECT_EQ(host.busyChecks, 4);
    EXPECT_EQ(MessageBox::takeShown().size(), 1);
    EXPECT_EQ(starter.calls.size(), 1u);
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
    orv::UpdateCheck blocked(
        host, downloader, log, starter,
        identityIn(QString::fromStdString(other.file("notafolder")), folder + "/zelReader.ini"));
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

// Regression: a manifest's SET could point the manifest, the upgrade page
// and the invoice pages anywhere (file:, javascript:, a local program).
TEST_F(Check, SetAddressesOutsideTheWebAreSkipped) {
    run("[SET]\r\nAUTOUPDATE=file:///etc/passwd\r\nUPDATE=javascript:alert(1)\r\n"
        "invoice1=http://fpcx.example/zwjb/skfpcx.jsp\r\nINVOICE2=/usr/bin/xterm\r\nPORT=9000\r\n");
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "AUTOUPDATE", "none"), "none");
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "UPDATE", "none"), "none");
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "INVOICE2", "none"), "none");
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "INVOICE1", ""), "http://fpcx.example/zwjb/skfpcx.jsp");
    EXPECT_EQ(host.settings.PORT, "9000");
    EXPECT_EQ(logLines(), QStringList{"AutoUpdate:SET AUTOUPDATE, UPDATE, INVOICE2: not an http "
                                      "or https address; skipped"});
}

// Regression: each SET and MSG entry rewrote the settings file, so a long
// manifest meant as many writes (and as many chances to be cut off).
TEST_F(Check, OneManifestIsOneWriteOfTheSettings) {
    host.ini.SaveSetting("SYSTEM", "IP", "10.0.0.1");
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(
        inotify_add_watch(watch, folder.toLocal8Bit().constData(), IN_MOVED_TO | IN_CLOSE_WRITE),
        0);
    run("[SET]\r\nIP=10.0.0.2\r\nPORT=9000\r\nConnOverTime=30\r\n[MSG]\r\na=1\r\nb=2\r\n");
    int writes = 0;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len && QByteArray(e->name) == "zelReader.ini") ++writes;
            p += sizeof(inotify_event) + e->len;
        }
    }
    close(watch);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(host.settings.ConnOverTime, 30);
    EXPECT_EQ(host.ini.GetSetting("MSG", "b", ""), "2");
}

// Regression: a manifest could queue any number of notices.
TEST_F(Check, OneManifestShowsAtMostTwentyNewNotices) {
    QString manifest = "[MSG]\r\n";
    for (int i = 1; i <= 30; ++i)
        manifest += QStringLiteral("n%1=通知%1\r\n").arg(i);
    run(manifest);
    ASSERT_NE(check.noticeWindow(), nullptr);
    EXPECT_EQ(check.noticeWindow()->notices().count(), orv::UpdateCheck::kMaxNotices);
    EXPECT_EQ(host.ini.GetSetting("MSG", "n20", ""), QStringLiteral("通知20"));
    EXPECT_EQ(host.ini.GetSetting("MSG", "n21", ""), "");  // for a later start
}

// Regression: settings reloaded while a card read ran asked the reader
// library for its reader list from inside its own progress callback.
TEST_F(Check, TheSettingsReloadWaitsForTheCard) {
    host.cardBusyFor = 2;
    run("[SET]\r\nPORT=9000\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.reloads == 1; }, 5000));
    EXPECT_EQ(host.cardChecks, 3);
    EXPECT_EQ(host.settings.PORT, "9000");
    EXPECT_EQ(host.statuses, (std::vector<bool>{true}));
}

// Regression: the program announced the update and closed for command
// lines the updater then refused, among them a RUN naming the updater's
// backup, which could start a second update of any file.
TEST_F(Check, ALineTheUpdaterWouldRefuseIsNotAnnounced) {
    // Another name of the backup, as a short name is on Windows.
    orvtest::writeFile(dir.file("zelUpdate.bak"), "old updater");
    std::filesystem::create_symlink("zelUpdate.bak", dir.file("helper"));
    for (const char* keys : {"Type=1\r\nRUN=zelUpdate.bak", "Type=1\r\nRUN=zelUpdate",
                             "Type=1\r\nRUN=helper", "Type=2\r\nWAIT=yes", "Type=x", "Type=3"}) {
        const qsizetype before = logLines().size();
        run(update(QString::fromLatin1(keys) + "\r\n"));
        const QStringList lines = logLines().mid(before);
        ASSERT_EQ(lines.size(), 1) << keys;
        EXPECT_TRUE(lines[0].startsWith("Update:the updater would refuse its command line: "))
            << lines[0].toStdString();
        EXPECT_TRUE(MessageBox::takeShown().isEmpty());
        EXPECT_TRUE(starter.calls.empty());
        EXPECT_TRUE(tempFiles().isEmpty());
        EXPECT_EQ(host.closed, 0);
    }
}

// Regression: a package without digests was installed as the program
// whatever it held, even nothing.
TEST_F(Check, WithoutDigestsOnlyAProgramReplacesTheProgram) {
    sim.put("empty.bin", "");
    sim.put("text.bin", "<html>not found</html>");
    const struct {
        const char* file;
        const char* line;
    } cases[] = {{"empty.bin", "AutoUpdate:the package is empty"},
                 {"text.bin", "AutoUpdate:the package is not a program of this system"}};
    for (const auto& c : cases) {
        const qsizetype before = logLines().size();
        run(update("Type=1\r\n").replace("pkg.bin", c.file));
        EXPECT_EQ(logLines().mid(before), QStringList{c.line});
    }
    EXPECT_TRUE(starter.calls.empty());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

// Regression: packages of failed hand-overs stayed in the folder forever.
TEST_F(Check, TempFilesOfEarlierRunsGoAtStart) {
    const QDateTime started = QDateTime::currentDateTimeUtc();
    for (const char* name : {"tmp1A.tmp", "tmp2B.tmp", "keep.tmp", "tmp3C.txt"}) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
        f.flush();
        f.setFileTime(started.addSecs(-3600), QFileDevice::FileModificationTime);
    }
    QFile young(folder + "/tmp4D.tmp");  // this run's own
    ASSERT_TRUE(young.open(QIODevice::WriteOnly));
    young.setFileTime(started.addSecs(1), QFileDevice::FileModificationTime);
    young.close();
    orv::ProgramIdentity identity = identityIn(folder, folder + "/zelReader.ini");
    identity.started = started;
    orv::Downloader other;
    orv::UpdateCheck starting(host, other, log, starter, identity);
    starting.removeLeftovers();
    EXPECT_EQ(QDir(folder).entryList({"tmp*", "keep*"}, QDir::Files, QDir::Name),
              (QStringList{"keep.tmp", "tmp3C.txt", "tmp4D.tmp"}));
}

// A deployment with a key takes only manifests signed with it; a refused
// signature is one log line and changes nothing.
class SignedCheck : public Check {
protected:
    SignedCheck() : signing(true), signedCheck(host, signedDownloader, log, starter, identity()) {}
    orv::ProgramIdentity identity() const {
        orv::ProgramIdentity p = identityIn(folder, folder + "/zelReader.ini");
        p.updateKey = orv::deployment::kUpdateKey;
        return p;
    }
    void runSigned(const QByteArray& manifest) {
        signing.put("zel_orv.aup", manifest);
        signedCheck.start(signing.url("zel_orv.aup"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return signedDownloader.running() == 0; }, 10000));
    }
    orvtest::UpdSim signing;
    orv::Downloader signedDownloader;
    orv::UpdateCheck signedCheck;
};

TEST_F(SignedCheck, ASignedManifestIsTaken) {
    runSigned("[SET]\r\nPORT=9000\r\n[MSG]\r\nn1=hello\r\n");
    EXPECT_EQ(host.settings.PORT, "9000");
    ASSERT_NE(signedCheck.noticeWindow(), nullptr);
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(signing.requests().filter(" 200 ").size(), 2);  // the manifest and its .sig
}

TEST_F(SignedCheck, ARefusedSignatureChangesNothing) {
    const QByteArray manifest =
        "[SET]\r\nPORT=9000\r\n[MSG]\r\nn1=hello\r\n[UPDATE]\r\n"
        "Version=9.0.0\r\nType=1\r\nHREF=" +
        signing.url("pkg.bin").toLatin1() + "\r\n";
    signing.put("pkg.bin", package());
    const struct {
        QByteArray signature;  // served as zel_orv.aup.sig
        QString line;
    } cases[] = {
        {"MEQCIDlrzXl4itlmf+80cN9wfLaHdJTOJ0jAphw4oDGOkG92AiBvwQdxdb4w3juPZdsXpclvt1a3R9rEO+CeZ3w0"
         "OKLeZg==\n",
         "AutoUpdate:the manifest's signature does not verify; the manifest was ignored"},
        {"<html>",
         "AutoUpdate:the manifest's signature is not a base64 DER ECDSA signature; the "
         "manifest was ignored"},
    };
    for (const auto& c : cases) {
        const qsizetype before = logLines().size();
        signing.put("zel_orv.aup.sig", c.signature);
        runSigned(manifest);
        EXPECT_EQ(logLines().mid(before), QStringList{c.line});
    }
    // No signature at all: the manifest is refused the same way.
    orvtest::UpdSim unsignedSim;
    unsignedSim.put("zel_orv.aup", manifest);
    const qsizetype before = logLines().size();
    signedCheck.start(unsignedSim.url("zel_orv.aup"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return signedDownloader.running() == 0; }, 10000));
    const QStringList lines = logLines().mid(before);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("AutoUpdate:the manifest's signature could not be fetched"))
        << lines[0].toStdString();

    EXPECT_EQ(host.reloads, 0);
    EXPECT_EQ(host.ini.GetSetting("SYSTEM", "PORT", "none"), "none");
    EXPECT_EQ(host.ini.GetSetting("MSG", "n1", "none"), "none");
    EXPECT_EQ(signedCheck.noticeWindow(), nullptr);
    EXPECT_TRUE(signing.requests().filter("pkg.bin").isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());
}

}  // namespace
