// The grid's model filled with 100 000 rows x 26 columns of query text (a
// name, 16- and 20-digit codes, dates, counts, amounts, two 128-character
// hex signatures), against the same cells in a vector<QStringList> and in a
// QStandardItemModel. Each structure is measured in a process of its own,
// so that its resident memory starts from the same state; the parent prints
// the medians and the ratios. Then the Grid widget: the fill with the view
// shown, and one screen painted at the last of 100 000 rows against one of
// a grid of 30 rows of the same text.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QStandardItemModel>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "grid/Grid.h"
#include "grid/GridModel.h"

#include "benchsupport.h"

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 26;
constexpr int kRuns = 3;

using orvbench::residentKib;

double msSince(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Every cell's text in one buffer, so that the source costs the same for
// every structure and little memory of its own.
struct Source {
    QString text;
    std::vector<qsizetype> ends;  // kRows * kCols cell ends
    QStringView cell(int r, int c) const {
        const std::size_t i = static_cast<std::size_t>(r) * kCols + static_cast<std::size_t>(c);
        const qsizetype begin = i == 0 ? 0 : ends[i - 1];
        return QStringView(text).mid(begin, ends[i] - begin);
    }
};

Source makeSource() {
    Source s;
    s.ends.reserve(static_cast<std::size_t>(kRows) * kCols);
    quint32 seed = 12345;
    auto next = [&seed](quint32 bound) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % bound;
    };
    auto hex = [&](int chars) {
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < chars; ++i)
            s.text += QLatin1Char(digits[next(16)]);
    };
    for (int r = 0; r < kRows; ++r) {
        auto end = [&s] { s.ends.push_back(s.text.size()); };
        s.text += QStringLiteral("北京市海淀区示例商贸有限公司第%1分店").arg(r % 97);
        end();
        s.text += QStringLiteral("4990%1").arg(next(1000000000), 12, 10, QLatin1Char('0'));
        end();
        s.text += QStringLiteral("7701%1").arg(next(1000000000), 12, 10, QLatin1Char('0'));
        end();
        s.text += QStringLiteral("11100112%1").arg(next(1000000000), 12, 10, QLatin1Char('0'));
        end();
        for (int d = 0; d < 2; ++d) {
            s.text += QStringLiteral("2012-%1-%2")
                          .arg(1 + next(12), 2, 10, QLatin1Char('0'))
                          .arg(1 + next(28), 2, 10, QLatin1Char('0'));
            end();
        }
        for (int k = 0; k < 3; ++k) {
            s.text += QString::number(next(100));
            end();
        }
        for (int k = 0; k < 14; ++k) {
            const quint32 fen = next(k < 2 ? 5000000 : 20000);
            s.text +=
                QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
            end();
        }
        s.text += QStringLiteral("01");
        end();
        for (int k = 0; k < 2; ++k) {
            hex(128);
            end();
        }
    }
    return s;
}

// The first `rows` rows of the source into a batch.
void addRows(orv::GridModel::Batch& batch, const Source& src, int rows) {
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kCols; ++c)
            batch.add(src.cell(r, c));
        batch.endRow();
    }
}

struct Result {
    double fillMs = 0, readMs = 0;
    long kib = 0;
};

// `fill` builds the structure (returned as a pointer: the item model cannot
// move), `read` sums the lengths of all its cells.
template <typename Fill, typename Read>
Result measure(const Source& src, Fill fill, Read read) {
    Result res;
    const long before = residentKib();
    QElapsedTimer t;
    t.start();
    const auto store = fill();
    res.fillMs = msSince(t);
    res.kib = residentKib() - before;
    t.start();
    const qsizetype total = read(*store);
    res.readMs = msSince(t);
    return total == src.text.size() ? res : Result{};
}

Result measureGrid(const Source& src) {
    return measure(
        src,
        [&src] {
            auto m = std::make_unique<orv::GridModel>();
            m->setCols(kCols);
            orv::GridModel::Batch batch;
            batch.reserve(kRows);
            addRows(batch, src, kRows);
            m->appendRows(batch);
            return m;
        },
        [](const orv::GridModel& m) {
            qsizetype total = 0;
            for (int r = 1; r <= kRows; ++r)
                for (int c = 1; c <= kCols; ++c)
                    total += m.Text(r, c).size();
            return total;
        });
}

Result measureLists(const Source& src) {
    return measure(
        src,
        [&src] {
            auto rows = std::make_unique<std::vector<QStringList>>();
            rows->reserve(kRows);
            for (int r = 0; r < kRows; ++r) {
                QStringList row;
                row.reserve(kCols);
                for (int c = 0; c < kCols; ++c)
                    row << src.cell(r, c).toString();
                rows->push_back(std::move(row));
            }
            return rows;
        },
        [](const std::vector<QStringList>& rows) {
            qsizetype total = 0;
            for (const QStringList& row : rows)
                for (int c = 0; c < kCols; ++c) {
                    const QString cell = row.at(c);
                    total += cell.size();
                }
            return total;
        });
}

Result measureItems(const Source& src) {
    return measure(
        src,
        [&src] {
            auto m = std::make_unique<QStandardItemModel>(0, kCols);
            for (int r = 0; r < kRows; ++r) {
                QList<QStandardItem*> row;
                row.reserve(kCols);
                for (int c = 0; c < kCols; ++c)
                    row << new QStandardItem(src.cell(r, c).toString());
                m->appendRow(row);
            }
            return m;
        },
        [](const QStandardItemModel& m) {
            qsizetype total = 0;
            for (int r = 0; r < kRows; ++r)
                for (int c = 0; c < kCols; ++c)
                    total += m.item(r, c)->text().size();
            return total;
        });
}

// One screen of the grid painted at its last row.
double paintMs(orv::Grid& g) {
    g.scrollToBottom();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    g.viewport()->repaint();
    g.verticalHeader()->viewport()->repaint();
    return msSince(t);
}

// fillMs: the fill with the grid shown; readMs: a screen painted at row
// 100 000; kib: a screen painted on a grid of 30 rows, in microseconds.
Result measureView(const Source& src) {
    Result res;
    orv::Grid small;
    small.resize(1000, 600);
    small.setCols(kCols);
    orv::GridModel::Batch first;
    addRows(first, src, 30);
    small.model().appendRows(first);
    small.show();
    orv::Grid g;
    g.resize(1000, 600);
    g.setCols(kCols);
    g.show();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    orv::GridModel::Batch batch;
    addRows(batch, src, kRows);
    g.model().appendRows(batch);
    QApplication::processEvents();
    res.fillMs = msSince(t);
    std::vector<double> big, few;
    for (int i = 0; i < 5; ++i) {
        big.push_back(paintMs(g));
        few.push_back(paintMs(small));
    }
    std::sort(big.begin(), big.end());
    std::sort(few.begin(), few.end());
    res.readMs = big[2];
    res.kib = static_cast<long>(few[2] * 1000);
    return res;
}

int child(const QString& what) {
    const Source src = makeSource();
    Result r;
    if (what == QLatin1String("grid")) r = measureGrid(src);
    if (what == QLatin1String("lists")) r = measureLists(src);
    if (what == QLatin1String("items")) r = measureItems(src);
    if (what == QLatin1String("view")) r = measureView(src);
    if (r.fillMs <= 0) return 1;
    std::printf("%f %f %ld\n", r.fillMs, r.readMs, r.kib);
    return 0;
}

bool run(const QString& self, const QString& what, Result& median) {
    std::vector<Result> runs;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        p.start(self, {QStringLiteral("--measure"), what});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) return false;
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 3) return false;
        runs.push_back({f[0].toDouble(), f[1].toDouble(), f[2].toLong()});
    }
    auto mid = [&runs](auto field) {
        std::vector<double> v;
        for (const Result& r : runs)
            v.push_back(static_cast<double>(field(r)));
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    median.fillMs = mid([](const Result& r) { return r.fillMs; });
    median.readMs = mid([](const Result& r) { return r.readMs; });
    median.kib = static_cast<long>(mid([](const Result& r) { return r.kib; }));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--measure") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return child(QString::fromLatin1(argv[2]));
    }
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    Result grid, lists, items, view;
    if (!run(self, QStringLiteral("grid"), grid) || !run(self, QStringLiteral("lists"), lists) ||
        !run(self, QStringLiteral("items"), items) || !run(self, QStringLiteral("view"), view)) {
        std::fprintf(stderr, "grid_bench: a measurement did not run\n");
        return 1;
    }
    std::printf("grid: %d rows x %d columns, median of %d runs, each in its own process\n", kRows,
                kCols, kRuns);
    std::printf("%-22s %10s %10s %12s\n", "", "fill ms", "read ms", "memory MiB");
    auto line = [](const char* name, const Result& r) {
        std::printf("%-22s %10.1f %10.1f %12.1f\n", name, r.fillMs, r.readMs, r.kib / 1024.0);
    };
    line("GridModel", grid);
    line("vector<QStringList>", lists);
    line("QStandardItemModel", items);
    auto ratios = [&grid](const char* name, const Result& base) {
        std::printf("GridModel / %-20s fill %.2f  read %.2f  memory %.2f\n", name,
                    grid.fillMs / base.fillMs, grid.readMs / base.readMs,
                    static_cast<double>(grid.kib) / static_cast<double>(base.kib));
    };
    ratios("vector<QStringList>:", lists);
    ratios("QStandardItemModel:", items);
    std::printf("Grid widget shown: fill %.1f ms (%.2f of the model alone)\n", view.fillMs,
                view.fillMs / grid.fillMs);
    std::printf(
        "one screen painted at row %d: %.2f ms, on a grid of 30 rows: %.2f ms (ratio %.2f)\n",
        kRows, view.readMs, view.kib / 1000.0, view.readMs / (view.kib / 1000.0));
    return 0;
}
