// SaveCBS of the full card (4 machines x 200 invoice rolls, 4 x 200 days, 4
// summaries) against the sqlite3 command-line shell importing the same rows
// in one transaction, in the same run. The shell's rows are a dump of what
// SaveCBS stored; its process start-up, measured on an empty script, is
// taken off its time. SaveCBS runs as the program runs it (on the driver's
// SQLite handle where that is proven safe, with the journal settings
// RecordsDb::open sets), once more with Qt's own binding, the way taken
// where it is not, and under the other journal settings the program could
// have chosen (what crash safety costs).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "appcard.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"
#include "card/RowInsert.h"

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the sqlite3 shell on `db` with `script` as input; seconds, or -1.
double shell(const QString& db, const QByteArray& script) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {db});
    if (!p.waitForStarted()) return -1;
    p.write(script);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return -1;
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// One SaveCBS into a fresh database at `path`, after `pragmas` on the
// connection; seconds, or -1. `withClose`: the close after it as well (with
// a write-ahead log, the close copies the log into the file).
double saveCbs(const QString& path, orv::CardData data, orv::RowInsert::Binding binding,
               const QStringList& pragmas = {}, double* withClose = nullptr) {
    if (!orv::RecordsDb::createFresh(path)) return -1;
    if (orv::RecordsDb::open(path) != orv::RecordsDb::OpenResult::Ok) return -1;
    double seconds = -1;
    for (const QString& p : pragmas)
        QSqlQuery(orv::RecordsDb::connection()).exec(QStringLiteral("pragma ") + p);
    QElapsedTimer t;
    t.start();
    {
        orv::RecordsStore store(orv::RecordsDb::connection(), orv::SystemClock::instance(),
                                binding);
        QString error;
        if (store.SaveCBS(data, 1, &error)) {
            seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
        } else {
            std::fprintf(stderr, "SaveCBS: %s\n", qPrintable(error));
        }
    }
    orv::RecordsDb::close();
    if (withClose) *withClose = static_cast<double>(t.nsecsElapsed()) / 1e9;
    return seconds;
}

bool nativeAvailable() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.db"));
    if (!orv::RecordsDb::createFresh(path) ||
        orv::RecordsDb::open(path) != orv::RecordsDb::OpenResult::Ok)
        return false;
    const bool native = orv::RowInsert(orv::RecordsDb::connection(), "ef01", {"dat"}).native();
    orv::RecordsDb::close();
    return native;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    orv::CardData data = orvtest::cardDataFrom(cardsim::fullSpec());
    data.rSn = QStringLiteral("2012030300000005");

    constexpr int kRounds = 7;
    std::vector<double> ours, oursQt, theirs, startup;
    if (!nativeAvailable()) std::printf("(the driver's SQLite is not proven ours: Qt binding)\n");
    QByteArray inserts;
    for (int i = 0; i < kRounds; ++i) {
        const QString a = dir.filePath(QStringLiteral("a%1.db").arg(i));
        const QString b = dir.filePath(QStringLiteral("b%1.db").arg(i));
        if (!orv::RecordsDb::createFresh(b)) return 1;
        const double fast = saveCbs(a, data, orv::RowInsert::Binding::Fastest);
        const double qt = saveCbs(dir.filePath(QStringLiteral("q%1.db").arg(i)), data,
                                  orv::RowInsert::Binding::Qt);
        if (fast < 0 || qt < 0) return 1;
        ours.push_back(fast);
        oursQt.push_back(qt);

        if (inserts.isEmpty()) {
            QProcess dump;
            dump.start(QStringLiteral("sqlite3"), {a, QStringLiteral(".dump")});
            dump.waitForFinished(60000);
            for (const QByteArray& line : dump.readAllStandardOutput().split('\n'))
                if (line.startsWith("INSERT INTO")) inserts += line + '\n';
            inserts = "BEGIN;\n" + inserts + "COMMIT;\n";
        }
        const double s = shell(b, inserts), e = shell(b, "select 1;\n");
        if (s < 0 || e < 0) {
            std::fprintf(stderr, "savecbs_bench: the sqlite3 shell did not run\n");
            return 1;
        }
        theirs.push_back(s - e);
        startup.push_back(e);
    }
    const int rows = static_cast<int>(inserts.count("INSERT INTO"));
    std::printf("SaveCBS, full card: %d rows, %d rounds each\n", rows, kRounds);
    std::printf("  sqlite3 shell import: %7.2f ms (start-up %.2f ms taken off)\n",
                median(theirs) * 1e3, median(startup) * 1e3);
    std::printf("  SaveCBS:              %7.2f ms\n", median(ours) * 1e3);
    std::printf("  SaveCBS, Qt binding:  %7.2f ms\n", median(oursQt) * 1e3);
    std::printf("  time ratio SaveCBS/shell: %.3f (goal <= 1.5)\n", median(ours) / median(theirs));
    std::printf("  time ratio SaveCBS with Qt binding/shell: %.3f\n",
                median(oursQt) / median(theirs));

    // The journal settings: what the program sets (first) against the
    // others, as ratios to the shell's import (which runs with SQLite's
    // defaults: rollback journal, full sync). The settings take turns in
    // each round, so that the disk's background writing falls on all alike.
    const struct {
        const char* name;
        QStringList pragmas;
    } settings[] = {
        {"as opened (rollback journal, EXTRA)", {}},
        {"rollback journal, synchronous FULL", {"journal_mode=DELETE", "synchronous=FULL"}},
        {"WAL, synchronous FULL", {"journal_mode=WAL", "synchronous=FULL"}},
        {"WAL, synchronous NORMAL", {"journal_mode=WAL", "synchronous=NORMAL"}},
        {"no sync (OFF; not crash-safe)", {"journal_mode=DELETE", "synchronous=OFF"}},
    };
    constexpr int kSettings = sizeof settings / sizeof settings[0];
    std::vector<double> save[kSettings], close[kSettings];
    for (int i = 0; i < kRounds; ++i) {
        for (int k = 0; k < kSettings; ++k) {
            double withClose = 0;
            const double v =
                saveCbs(dir.filePath(QStringLiteral("j%1-%2.db").arg(k).arg(i)), data,
                        orv::RowInsert::Binding::Fastest, settings[k].pragmas, &withClose);
            if (v < 0) return 1;
            save[k].push_back(v);
            close[k].push_back(withClose);
        }
    }
    std::printf("SaveCBS, full card, by journal setting (%d rounds each; and with the close):\n",
                kRounds);
    for (int k = 0; k < kSettings; ++k)
        std::printf("  %-36s %6.2f ms, ratio to shell %.3f; with the close %6.2f ms, %.3f\n",
                    settings[k].name, median(save[k]) * 1e3, median(save[k]) / median(theirs),
                    median(close[k]) * 1e3, median(close[k]) / median(theirs));
    return 0;
}
