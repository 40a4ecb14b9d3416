// One copy per user: the lock, the call to the front, and the leftovers of
// a copy that crashed; then the real program started twice.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include "base/Text.h"
#include "gui/MessageBox.h"
#include "nopermission.h"
#include "programfolder.h"
#include "qtwait.h"
#include "shell/SingleInstance.h"
#include "zellib.h"

namespace {

using orv::SingleInstance;
using Claim = orv::SingleInstance::Claim;
using orvtest::folderOf;

TEST(SingleInstance, SecondCopyCallsTheFirstToTheFront) {
    orvtest::TempDir dir;
    SingleInstance first(folderOf(dir));
    ASSERT_EQ(first.acquire(), Claim::First);
    QSignalSpy called(&first, &SingleInstance::activationRequested);
    SingleInstance second(folderOf(dir));
    EXPECT_EQ(second.acquire(), Claim::Running);
    EXPECT_TRUE(second.notifyRunning());
    EXPECT_TRUE(orvtest::waitFor([&] { return called.count() == 1; }));
}

TEST(SingleInstance, LeftoversOfACrashedCopyDoNotBlockTheNext) {
    orvtest::TempDir dir;
    // A lock whose process is gone, and the socket file it left.
    orvtest::writeFile(dir.file("orvane.lock"),
                       "999999\norvane\n" + QSysInfo::machineHostName().toStdString() + "\n");
    orvtest::writeFile(dir.file("orvane"), "");
    SingleInstance first(folderOf(dir));
    ASSERT_EQ(first.acquire(), Claim::First);
    QSignalSpy called(&first, &SingleInstance::activationRequested);
    EXPECT_TRUE(SingleInstance(folderOf(dir)).notifyRunning());
    EXPECT_TRUE(orvtest::waitFor([&] { return called.count() == 1; }));
}

// Regression: a lock that could not be taken for any reason but a running
// copy (here a runtime folder the program may not write) ended the program
// silently with code 0, as if another copy ran.
TEST(SingleInstance, ALockThatCannotBeTakenIsShownAndLogged) {
    orvtest::TempDir runtime, program;
    orv::MessageBox::takeShown();
    std::optional<int> code;
    QString detail;
    {
        orvtest::NoPermission locked(runtime.path().string());
        ASSERT_TRUE(locked.effective());
        SingleInstance instance(folderOf(runtime));
        code = orv::claimSingleInstance(instance, folderOf(program));
        detail = instance.errorDetail();
    }
    EXPECT_EQ(code, std::optional<int>(1));
    const auto shown = orv::MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].caption, "错误");
    EXPECT_TRUE(
        shown[0].text.startsWith("无法创建程序运行锁文件：" + folderOf(runtime) + "/orvane.lock\n"))
        << shown[0].text.toStdString();
    // The reason in the program's words; the system's text only in the log.
    EXPECT_TRUE(shown[0].text.endsWith("\n没有写入权限")) << shown[0].text.toStdString();
    QString log;
    const QDir logs(folderOf(program) + "/Log");
    for (const QString& f : logs.entryList(QDir::Files)) {
        QFile file(logs.filePath(f));
        if (file.open(QIODevice::ReadOnly)) log += orv::fromGbk(file.readAll());
    }
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_TRUE(log.contains(QString(shown[0].text).replace('\n', ' ') + "（" + detail + "）"))
        << log.toStdString();
}

TEST(SingleInstance, NobodyToCallWhenNoCopyRuns) {
    orvtest::TempDir dir;
    EXPECT_FALSE(SingleInstance(folderOf(dir)).notifyRunning(200));
}

// The program itself, twice, from one program folder: the second start
// leaves without a window, a message or a line in the log. A stand-in for
// systemctl records the service request.
TEST(SingleInstance, SecondStartOfTheProgramLeavesNoTrace) {
    orvtest::TempDir dir, runtime, tools;
    orvtest::makeProgramFolder(dir);
    // The update check stays on this machine: a port where nothing listens.
    orvtest::writeSettings(dir, {"AUTOUPDATE=http://127.0.0.1:9/zel_orv.aup"});
    // No service on its socket, so the program asks for it.
    const QProcessEnvironment env = orvtest::installProgram(dir, runtime, tools);
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(folderOf(dir) + "/orvane", {});
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString logFolder = folderOf(dir) + "/Log";
    auto logText = [&] { return orvtest::logsOf(folderOf(dir)); };
    // Up once it listens on its socket.
    ASSERT_TRUE(orvtest::waitFor([&] { return QFile::exists(folderOf(runtime) + "/orvane"); }))
        << first.readAllStandardError().toStdString();
    ASSERT_TRUE(orvtest::waitFor([&] { return logText().contains("Start V"); }));
    const QByteArray before = logText();

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(folderOf(dir) + "/orvane", {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(logText(), before);
    EXPECT_EQ(QDir(logFolder).entryList(QDir::Files).size(), 1);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    first.waitForFinished(5000);
    EXPECT_EQ(orvtest::readFile(tools.file("systemctl.log")),
              "--no-ask-password enable --now pcscd.socket\n");
}

}  // namespace
