// The record query and the exports on a big database: 100 000 ef09 rows.
// The kind-5 query into the grid and the CSV export of the filled grid are
// measured against the sqlite3 shell running the same SELECT with -csv into
// a file; the XLS export of 65 535 rows against gnumeric's ssconvert turning
// the same rows' CSV into an .xls; all in this run, medians of three. Also
// the resident memory of the process before and after the grid is filled.
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "card/RecordsDb.h"
#include "grid/GridModel.h"
#include "records/RecordQuery.h"
#include "records/TextExport.h"
#include "records/XlsExport.h"
#include "tempdir.h"

#include "benchsupport.h"

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 3;

using orvbench::residentKib;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

// A program of the system run to its end, standard output into `out`.
bool runTool(const QString& program, const QStringList& args, const QString& out = {}) {
    QProcess p;
    if (!out.isEmpty()) p.setStandardOutputFile(out);
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_records: %s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        return false;
    }
    return true;
}

bool fillDatabase(QSqlDatabase db) {
    QSqlQuery q(db);
    if (!db.transaction() ||
        !q.prepare(QStringLiteral(
            "insert into ef09 (skjbh, kprq, zcfpfs, tpfs, fpfs, szsm, zcfpje1, zcfpje2, zcfpje3, "
            "zcfpje4, zcfpje5, zcfpje6, tpje1, tpje2, tpje3, tpje4, tpje5, tpje6, sign1, sign2, "
            "cbid, nsrmc) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")))
        return false;
    quint32 seed = 2024;
    auto next = [&seed](quint32 bound) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % bound;
    };
    auto hex = [&](int chars) {
        static const char digits[] = "0123456789ABCDEF";
        QString s;
        for (int i = 0; i < chars; ++i)
            s += QLatin1Char(digits[next(16)]);
        return s;
    };
    const QDate first(2010, 1, 1);
    for (int i = 0; i < kRows; ++i) {
        QVariantList v;
        v << QStringLiteral("49900000%1").arg(i % 4 + 1, 8, 10, QLatin1Char('0'))
          << first.addDays(i / 4 % 1500).toString(Qt::ISODate) << int(next(100)) << int(next(5))
          << int(next(5)) << QStringLiteral("0102030405%1").arg(i % 4, 2, 10, QLatin1Char('0'));
        for (int k = 0; k < 12; ++k)
            v << static_cast<double>(next(k < 6 ? 5000000 : 20000)) / 100.0;
        v << hex(128) << hex(128) << i / 200 + 1
          << QStringLiteral("北京市海淀区示例商贸有限公司第%1分店").arg(i % 4 + 1);
        for (int k = 0; k < v.size(); ++k)
            q.bindValue(k, v[k]);
        if (!q.exec()) {
            std::fprintf(stderr, "bench_records: %s\n", qPrintable(q.lastError().text()));
            return false;
        }
    }
    return db.commit();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    orvtest::TempDir dir;
    const QString dbPath = QString::fromStdString(dir.file("orv.db"));
    if (!orv::RecordsDb::createFresh(dbPath) ||
        orv::RecordsDb::open(dbPath) != orv::RecordsDb::OpenResult::Ok ||
        !fillDatabase(orv::RecordsDb::connection())) {
        std::fprintf(stderr, "bench_records: could not make the database\n");
        return 1;
    }
    QSqlDatabase db = orv::RecordsDb::connection();
    const QDate from(2000, 1, 1), to(2099, 12, 31);
    const QString sql =
        orv::queryStatement(orv::query::kDaily)
            .replace(QStringLiteral("between ? and ?"),
                     QStringLiteral("between '%1' and '%2'")
                         .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate)));
    const QString shellCsv = QString::fromStdString(dir.file("shell.csv"));
    bool ok = true;
    const double shellMs = timeMs([&] {
        ok = ok && runTool(QStringLiteral("sqlite3"), {"-csv", dbPath, sql}, shellCsv);
    });

    const long before = residentKib();
    orv::GridModel grid;
    int rows = 0;
    const double queryMs = timeMs([&] {
        orv::InitGrid(grid, orv::query::kDaily);
        const orv::FillResult r = orv::runQuery(db, grid, orv::query::kDaily, 0, from, to);
        ok = ok && r.ok;
        rows = r.rows;
    });
    const long after = residentKib();
    if (rows != kRows) {
        std::fprintf(stderr, "bench_records: the query gave %d rows\n", rows);
        return 1;
    }

    const QString csv = QString::fromStdString(dir.file("grid.csv"));
    const double csvMs =
        timeMs([&] { ok = ok && orv::writeGridText(csv, grid, 0, orv::TextSeparator::Comma).ok; });

    const int xlsRows = orv::kXlsDataRowsPerSheet;
    const QString xls = QString::fromStdString(dir.file("grid.xls"));
    const double xlsMs = timeMs([&] { ok = ok && orv::writeGridXls(xls, grid, xlsRows).ok; });
    const QString part = QString::fromStdString(dir.file("part.csv"));
    ok = ok && orv::writeGridText(part, grid, xlsRows, orv::TextSeparator::Comma).ok;
    const QString converted = QString::fromStdString(dir.file("ssconvert.xls"));
    const double ssconvertMs = timeMs([&] {
        QFile::remove(converted);
        ok = ok && runTool(QStringLiteral("ssconvert"),
                           {"-E", "GBK", "-T", "Gnumeric_Excel:excel_biff8", part, converted});
    });
    if (!ok) {
        std::fprintf(stderr, "bench_records: a step failed\n");
        return 1;
    }
    db = QSqlDatabase();
    orv::RecordsDb::close();

    std::printf("records: %d ef09 rows, %d runs each (median)\n", kRows, kRuns);
    std::printf("  sqlite3 -csv of the SELECT    %8.1f ms\n", shellMs);
    std::printf("  kind-5 query into the grid    %8.1f ms   ratio %.2f (goal <= 1.5)\n", queryMs,
                queryMs / shellMs);
    std::printf("  CSV export of the grid        %8.1f ms   ratio %.2f (goal <= 1.5)\n", csvMs,
                csvMs / shellMs);
    std::printf("  ssconvert CSV -> xls, %d rows %8.1f ms\n", xlsRows, ssconvertMs);
    std::printf("  XLS export, %d rows           %8.1f ms   ratio %.2f (goal <= 1.0)\n", xlsRows,
                xlsMs, xlsMs / ssconvertMs);
    std::printf("  resident memory: %.1f MiB before the grid, %.1f MiB holding it (+%.1f MiB)\n",
                static_cast<double>(before) / 1024, static_cast<double>(after) / 1024,
                static_cast<double>(after - before) / 1024);
    return 0;
}
