#include "service/DailyRecordCheck.h"

#include <QDate>
#include <QStringList>

#include "card/CardRecords.h"

namespace orv {

namespace {
const QString kSeparator = QStringLiteral("##");

QDate bcdDate(const QString& yyyymmdd) {
    return QDate::fromString(yyyymmdd, QStringLiteral("yyyyMMdd"));
}
}  // namespace

DailyRecords checkDailyRecords(const QString& ef04, QString& ef09) {
    if (ef04.isEmpty() || ef09.isEmpty()) return DailyRecords::None;
    const QStringList summaries = ef04.split(kSeparator);
    QStringList groups = ef09.split(kSeparator);
    if (summaries.size() != groups.size()) return DailyRecords::Mismatch;
    bool changed = false;
    for (const QString& summary : summaries) {
        // The machine's group: bytes 8-15 of its EF09 record hold the TSAM
        // number of its summary (bytes 1-8).
        const QString tsam = card::hexField(summary, 1, 8);
        qsizetype g = 0;
        while (g < groups.size() && card::hexField(groups[g], 8, 8) != tsam)
            ++g;
        if (g == groups.size()) return DailyRecords::Mismatch;
        QDate start = bcdDate(card::hexField(summary, 9, 4));
        QDate end = bcdDate(card::hexField(summary, 13, 4));
        if (!start.isValid() || !end.isValid()) return DailyRecords::Mismatch;
        if (end < start) std::swap(start, end);

        const QString& group = groups[g];
        const qsizetype bar = group.indexOf(QLatin1Char('|'));
        if (bar < 0) return DailyRecords::None;
        const QString head = group.left(bar + 1), records = group.mid(bar + 1);
        if (records.isEmpty()) return DailyRecords::None;
        if (records.size() % card::kDailyRecordChars != 0) return DailyRecords::Mismatch;
        QString kept;
        qsizetype keptCount = 0;
        for (qsizetype at = 0; at < records.size(); at += card::kDailyRecordChars) {
            const QDate day = bcdDate(records.mid(at, 8));
            if (!day.isValid() || day < start || day > end) continue;
            kept += records.mid(at, card::kDailyRecordChars);
            ++keptCount;
        }
        if (keptCount != start.daysTo(end) + 1) return DailyRecords::Mismatch;
        if (kept.size() != records.size()) {
            groups[g] = head + kept;
            changed = true;
        }
    }
    if (changed) ef09 = groups.join(kSeparator);
    return DailyRecords::Pass;
}

}  // namespace orv
