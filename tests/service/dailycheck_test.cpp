// The daily-record check against hand-made card texts: periods, counts,
// records dropped for lying outside their period, and malformed groups.
#include <gtest/gtest.h>

#include <QDate>
#include <QStringList>

#include "service/DailyRecordCheck.h"

namespace {

using orv::DailyRecords;

const QString kTsamA = "7701000000000001", kTsamB = "7701000079190001";

// An EF04 record: flag, TSAM number, period, the rest zero (220 bytes).
QString summary(const QString& tsam, const QString& start, const QString& end) {
    return ("01" + tsam + start + end).leftJustified(440, '0');
}

QString day(const QDate& d) {
    return d.toString("yyyyMMdd").leftJustified(384, '0');
}

// An EF09 group: the machine's record naming the TSAM number, "|", the days.
QString group(const QString& tsam, const QStringList& days) {
    return "4990000000123450" + tsam + "0901" + "|" + days.join(QString());
}

QStringList daysFrom(const QDate& first, int count) {
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << day(first.addDays(i));
    return out;
}

const QDate kMarch1(2012, 3, 1);

struct Case {
    const char* name;
    QString ef04, ef09;
    DailyRecords result;
};

TEST(DailyRecordCheck, Cases) {
    const QString march = summary(kTsamA, "20120301", "20120331");
    const QString marchB = summary(kTsamB, "20120301", "20120331");
    const QString march31 = group(kTsamA, daysFrom(kMarch1, 31));
    const QList<Case> cases = {
        {"no summary", "", march31, DailyRecords::None},
        {"no daily records file", march, "", DailyRecords::None},
        {"31 days for 1 to 31 March", march, march31, DailyRecords::Pass},
        {"30 days", march, group(kTsamA, daysFrom(kMarch1, 30)), DailyRecords::Mismatch},
        {"32 days", march, group(kTsamA, daysFrom(kMarch1, 31) << day(kMarch1)),
         DailyRecords::Mismatch},
        {"one day", summary(kTsamA, "20120315", "20120315"),
         group(kTsamA, {day(QDate(2012, 3, 15))}), DailyRecords::Pass},
        {"29 days of a leap February", summary(kTsamA, "20120201", "20120229"),
         group(kTsamA, daysFrom(QDate(2012, 2, 1), 29)), DailyRecords::Pass},
        {"a period across the new year", summary(kTsamA, "20111230", "20120102"),
         group(kTsamA, daysFrom(QDate(2011, 12, 30), 4)), DailyRecords::Pass},
        {"dates given the wrong way round", summary(kTsamA, "20120331", "20120301"), march31,
         DailyRecords::Pass},
        {"a period that is no date", summary(kTsamA, "20120231", "20120331"), march31,
         DailyRecords::Mismatch},
        {"a period cut off", march.left(30), march31, DailyRecords::Mismatch},
        {"more summaries than groups", march + "##" + marchB, march31, DailyRecords::Mismatch},
        {"no group for the summary", marchB, march31, DailyRecords::Mismatch},
        {"a group without '|'", march, march31.left(36), DailyRecords::None},
        {"a group without records", march, group(kTsamA, {}), DailyRecords::None},
        {"a record cut short", march, march31.chopped(1), DailyRecords::Mismatch},
        {"two machines in another order", march + "##" + marchB,
         group(kTsamB, daysFrom(kMarch1, 31)) + "##" + march31, DailyRecords::Pass},
        {"one of two machines short", march + "##" + marchB,
         march31 + "##" + group(kTsamB, daysFrom(kMarch1, 30)), DailyRecords::Mismatch},
        {"one of two machines without records", march + "##" + marchB,
         march31 + "##" + group(kTsamB, {}), DailyRecords::None},
    };
    for (const Case& c : cases) {
        QString ef09 = c.ef09;
        EXPECT_EQ(orv::checkDailyRecords(c.ef04, ef09), c.result) << c.name;
        EXPECT_EQ(ef09, c.ef09) << c.name << ": nothing is dropped from this file";
    }
}

TEST(DailyRecordCheck, RecordsOutsideThePeriodAreDroppedAndDoNotCount) {
    const QString ef04 =
        summary(kTsamA, "20120301", "20120331") + "##" + summary(kTsamB, "20120301", "20120331");
    const QStringList march = daysFrom(kMarch1, 31);
    QStringList withOthers = march;
    withOthers.prepend(day(QDate(2012, 2, 29)));
    withOthers.insert(10, QString("FFFFFFFF").leftJustified(384, 'F'));  // no date at all
    withOthers << day(QDate(2012, 4, 1));
    const QString untouched = group(kTsamB, march);
    QString ef09 = group(kTsamA, withOthers) + "##" + untouched;
    EXPECT_EQ(orv::checkDailyRecords(ef04, ef09), DailyRecords::Pass);
    EXPECT_EQ(ef09, group(kTsamA, march) + "##" + untouched);

    // 30 days in the period and one outside: still a mismatch, the file kept.
    QStringList short30 = daysFrom(kMarch1, 30);
    short30 << day(QDate(2012, 4, 1));
    ef09 = group(kTsamA, short30) + "##" + untouched;
    const QString before = ef09;
    EXPECT_EQ(orv::checkDailyRecords(ef04, ef09), DailyRecords::Mismatch);
    EXPECT_EQ(ef09, before);
}

}  // namespace
