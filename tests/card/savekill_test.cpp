// Crash safety of the records: a child process saves the full card and is
// killed with SIGKILL before its k-th file operation, for k spread over the
// whole save. Afterwards the file must open with the core, pass SQLite's
// integrity check, and hold each operation whole or not at all; and a
// later kill must never leave less than an earlier one did.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlQuery>
#include <QVariant>
#include <set>

#include "appcard.h"
#include "card/CardData.h"
#include "card/CardRecords.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"
#include "tempdir.h"

namespace {

using orv::RecordsDb;

const QString kChild = QStringLiteral(ORV_BIN_DIR "/orv_savekill_child");
constexpr int kMonitorRecords = 3;  // what the child's SaveEf01 stores

// What the file holds after a run: nothing, the copy-tax report alone, or
// the report and its monitoring records.
enum class Held { Nothing, Report, ReportAndMonitor };

struct Counts {
    long long ef02, ef04, ef06, ef09;
};

Counts fullCard() {
    const orv::CardData c = orvtest::cardDataFrom(cardsim::fullSpec());
    auto subs = [](const QString& text, int chars) {
        long long n = 0;
        for (const orv::card::Group& g : orv::card::splitGroups(text, chars))
            n += g.subs.size();
        return n;
    };
    return {1, orv::card::parseEf04(c.ef04).size(), subs(c.ef06, orv::card::kInvoiceRollChars),
            subs(c.ef09, orv::card::kDailyRecordChars)};
}

long long scalar(const QString& sql) {
    QSqlQuery q(RecordsDb::connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    return q.next() ? q.value(0).toLongLong() : -1;
}

long long rows(const char* table, qint64 cbid) {
    return scalar(QStringLiteral("select count(*) from %1 where cbid=%2")
                      .arg(QLatin1String(table))
                      .arg(cbid));
}

long long allRows(const char* table) {
    return scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
}

// Opens the file as the program does and judges what it holds; fails the
// test for a file that does not open, is damaged or holds a part.
Held inspect(const QString& path, const Counts& card) {
    QString error;
    EXPECT_EQ(RecordsDb::open(path, &error), RecordsDb::OpenResult::Ok) << error.toStdString();
    Held held = Held::Nothing;
    {
        QSqlQuery q(RecordsDb::connection());
        EXPECT_TRUE(q.exec(QStringLiteral("pragma integrity_check")) && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
        const long long operations = allRows("sbjs");
        EXPECT_LE(operations, 1);
        if (operations == 0) {
            for (const char* t : {"ef01", "ef02", "ef04", "ef06", "ef09"})
                EXPECT_EQ(allRows(t), 0) << t << " rows without their operation";
        } else {
            const qint64 id = scalar(QStringLiteral("select id from sbjs"));
            EXPECT_EQ(rows("ef02", id), card.ef02);
            EXPECT_EQ(rows("ef04", id), card.ef04);
            EXPECT_EQ(rows("ef06", id), card.ef06);
            EXPECT_EQ(rows("ef09", id), card.ef09);
            const long long monitor = rows("ef01", id);
            EXPECT_TRUE(monitor == 0 || monitor == kMonitorRecords) << monitor << " ef01 rows";
            held = monitor == 0 ? Held::Report : Held::ReportAndMonitor;
            for (const char* t : {"ef01", "ef02", "ef04", "ef06", "ef09"})
                EXPECT_EQ(allRows(t), rows(t, id)) << t << " rows of no operation";
        }
    }
    // The recovered file takes the next operation.
    orv::CardData next = orvtest::cardDataFrom(cardsim::realisticSpec());
    EXPECT_TRUE(orv::RecordsStore(RecordsDb::connection()).SaveCBS(next, 1, &error))
        << error.toStdString();
    RecordsDb::close();
    return held;
}

struct ChildRun {
    bool finished = false;
    QByteArray output;
};

ChildRun runChild(const QString& db, long killAt) {
    QProcess p;
    p.start(kChild, {db, QString::number(killAt)});
    EXPECT_TRUE(p.waitForFinished(120000)) << "the child did not end";
    ChildRun r;
    r.finished = p.exitStatus() == QProcess::NormalExit;
    if (r.finished) {
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    r.output = p.readAllStandardOutput();
    return r;
}

// The operation count a counting run printed after `step`.
long countAfter(const QByteArray& output, const char* step) {
    for (const QByteArray& line : output.split('\n'))
        if (line.startsWith(QByteArray(step) + ' ')) return line.mid(qstrlen(step) + 1).toLong();
    return -1;
}

TEST(SaveKill, EveryKillLeavesEachOperationWholeOrNotAtAll) {
    const Counts card = fullCard();
    orvtest::TempDir dir;
    const QString calibration = QString::fromStdString(dir.file("count.db"));
    ASSERT_TRUE(RecordsDb::createFresh(calibration));
    const ChildRun counted = runChild(calibration, 0);
    ASSERT_TRUE(counted.finished);
    const long cbs = countAfter(counted.output, "cbs");
    const long ef01 = countAfter(counted.output, "ef01");
    const long closed = countAfter(counted.output, "closed");
    // No operations seen: the SQLite driver does not use the program's
    // SQLite, and the kill points cannot be placed.
    ASSERT_GT(cbs, 10) << counted.output.toStdString();
    ASSERT_GT(ef01, cbs);
    ASSERT_GE(closed, ef01);
    EXPECT_EQ(inspect(calibration, card), Held::ReportAndMonitor);

    // Kill points: spread over the whole save, and every one of the last
    // operations of each transaction and of the close, where the commit is.
    std::set<long> points;
    constexpr int kSpread = 16;
    for (int i = 0; i <= kSpread; ++i)
        points.insert(1 + (closed - 1) * i / kSpread);
    for (long end : {cbs, ef01, closed})
        for (long k = end - 4; k <= end + 1; ++k)
            if (k >= 1) points.insert(k);

    Held last = Held::Nothing;
    std::set<Held> seen;
    for (long k : points) {
        SCOPED_TRACE("killed before file operation " + std::to_string(k) + " of " +
                     std::to_string(closed));
        const QString db = QString::fromStdString(dir.file("kill" + std::to_string(k) + ".db"));
        ASSERT_TRUE(RecordsDb::createFresh(db));
        const ChildRun r = runChild(db, k);
        EXPECT_EQ(r.finished, k > closed);
        const Held held = inspect(db, card);
        EXPECT_GE(held, last) << "a later kill left less than an earlier one";
        last = held;
        seen.insert(held);
        if (k <= cbs) {
            EXPECT_NE(held, Held::ReportAndMonitor);
        }
    }
    // The kills landed before, between and after the two transactions.
    EXPECT_EQ(seen.size(), 3u);
    RecordProperty("kill_runs", static_cast<int>(points.size()));
    RecordProperty("file_operations", static_cast<int>(closed));
    std::printf("%zu kills over %ld file operations (SaveCBS %ld, SaveEf01 %ld, close %ld)\n",
                points.size(), closed, cbs, ef01 - cbs, closed - ef01);
}

}  // namespace
