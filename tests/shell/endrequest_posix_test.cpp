// The real program told by the system to end (SIGTERM: log-out, shutdown),
// in a program folder of its own.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "base/AppLog.h"
#include "programfolder.h"
#include "qtwait.h"

namespace {

using orvtest::folderOf;

// Regression: told to end, the program died on the spot, without the log's
// end line, with the records open and its lock left behind.
TEST(ProgramEnd, SigtermEndsTheProgramAsItsCloseBoxDoes) {
    orvtest::TempDir dir, runtime, tools;
    orvtest::makeProgramFolder(dir);
    // The update check stays on this machine.
    orvtest::writeSettings(dir, {"AUTOUPDATE=http://127.0.0.1:1/zel_orv.aup"});
    const QString folder = folderOf(dir);
    QProcess program;
    program.setProcessEnvironment(orvtest::installProgram(dir, runtime, tools));
    program.start(folder + "/orvane", {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(
        orvtest::waitFor([&] { return orvtest::logsOf(folder).contains(" Start V"); }, 30000));
    const QDir lockFolder(folderOf(runtime), "*.lock", QDir::Name, QDir::Files);
    ASSERT_FALSE(lockFolder.entryList().isEmpty());

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray last = orvtest::logsOf(folder).trimmed().split('\n').last().trimmed();
    EXPECT_TRUE(last.endsWith("===============  End  V" + orv::AppLog::version().toLatin1() +
                              "==============="))
        << last.toStdString();
    // Closed as the close box closes them: no journal left, the file whole,
    // and the lock given up.
    EXPECT_FALSE(QFile::exists(folder + "/orv.db-journal"));
    EXPECT_TRUE(QDir(folderOf(runtime), "*.lock", QDir::Name, QDir::Files).entryList().isEmpty());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "ended");
        db.setDatabaseName(folder + "/orv.db");
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("pragma integrity_check") && q.next());
        EXPECT_EQ(q.value(0).toString(), "ok");
    }
    QSqlDatabase::removeDatabase("ended");
}

}  // namespace
