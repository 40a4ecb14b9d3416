// The records database: opening, the upgrade, and the four writers, on real
// SQLite files in a temp program folder.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include "appcard.h"
#include "card/CardData.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"
#include "fakes.h"
#include "openrecordsdb.h"
#include "tempdir.h"

namespace {

using orv::RecordsDb;

QVariant scalar(const QString& sql) {
    QSqlQuery q(RecordsDb::connection());
    if (!q.exec(sql) || !q.next()) return {};
    return q.value(0);
}

long long count(const QString& table, const QString& where = "1=1") {
    return scalar(QStringLiteral("select count(*) from %1 where %2").arg(table, where))
        .toLongLong();
}

// A card whose files are what the reader library would have read.
orv::CardData cardFrom(const cardsim::CardSpec& spec) {
    orv::CardData c = orvtest::cardDataFrom(spec);
    c.rSn = "2012030300000005";
    return c;
}

class DbTest : public ::testing::Test {
protected:
    orv::RecordsStore store() { return orv::RecordsStore(db_.db(), clock_); }

    orvtest::TempDir dir_;
    orvtest::OpenRecordsDb db_{dir_};
    orvtest::FakeClock clock_;
};

TEST_F(DbTest, CopyTaxReportStoresEveryRowUnderOneOperation) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.machines = {{5, 31}, {0, 0}, {0, 0}};  // three summaries, rolls 5 + 0, days 31
    orv::CardData c = cardFrom(spec);
    // EF06 of two machines, EF09 of one.
    c.ef06 = c.ef06.section(QStringLiteral("##"), 0, 1);
    c.ef09 = c.ef09.section(QStringLiteral("##"), 0, 0);
    QString error;
    ASSERT_TRUE(store().SaveCBS(c, 1, &error)) << error.toStdString();
    EXPECT_EQ(count("sbjs"), 1);
    EXPECT_EQ(count("ef02"), 1);
    EXPECT_EQ(count("ef04"), 3);
    EXPECT_EQ(count("ef06"), 5);
    EXPECT_EQ(count("ef09"), 31);
    const QString same = QStringLiteral("cbid=%1").arg(c.rID);
    EXPECT_EQ(count("ef02", same) + count("ef04", same) + count("ef06", same) + count("ef09", same),
              40);
    EXPECT_EQ(
        scalar(
            "select jyrq || '|' || jylsh || '|' || jg1 || '|' || nsrbm || '|' || nsrmc from sbjs")
            .toString(),
        QStringLiteral(
            "2012-03-03|2012030300000005|1|1101082012345678|北京市海淀区示例商贸有限公司"));
    EXPECT_EQ(scalar("select count(*) from ef09 where kprq between '2012-03-01' and '2012-03-31'")
                  .toInt(),
              31);
    EXPECT_EQ(scalar("select nsrmc from ef06 limit 1").toString(),
              QStringLiteral("北京市海淀区示例商贸有限公司"));
    EXPECT_EQ(scalar("select dwmc from ef02").toString(),
              QStringLiteral("北京市海淀区示例商贸有限公司"));
}

TEST_F(DbTest, SaveCbsAlwaysStartsANewOperation) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    QString error;
    ASSERT_TRUE(store().SaveCBS(c, 2, &error)) << error.toStdString();
    const qint64 first = c.rID;
    ASSERT_TRUE(store().SaveCBS(c, 1));
    EXPECT_NE(c.rID, first);
    EXPECT_EQ(count("sbjs"), 2);
}

TEST_F(DbTest, FailureHalfWayLeavesNoHalfStoredOperation) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    QSqlQuery(RecordsDb::connection()).exec("drop table ef09");
    QString error;
    EXPECT_FALSE(store().SaveCBS(c, 1, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(c.rID, -1);
    EXPECT_EQ(count("sbjs"), 0);
    EXPECT_EQ(count("ef04"), 0);
    EXPECT_EQ(count("ef06"), 0);
}

TEST_F(DbTest, DeclarationWritesAmountsOnlyOnSuccess) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    c.xssr1 = 1;
    c.xssr2 = 2;
    c.xssr3 = 3;
    c.nsje = 12.34;
    ASSERT_TRUE(store().SaveSBJS(c, 2));
    EXPECT_EQ(scalar("select je1+je2+je3+je from sbjs").toDouble(), 0.0);
    EXPECT_EQ(scalar("select skqsrq || ' ' || skjzrq from sbjs").toString(),
              "2012-03-01 2012-03-31");
    ASSERT_TRUE(store().SaveSBJS(c, 1));  // the same row, now with amounts
    EXPECT_EQ(count("sbjs"), 1);
    EXPECT_EQ(scalar("select jg2 || ' ' || je1 || ' ' || je2 || ' ' || je3 || ' ' || je from sbjs")
                  .toString(),
              "1 1.0 2.0 3.0 12.34");
}

TEST_F(DbTest, MonitoringDataWithoutOperationCreatesOneWithResultTwo) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    c.ef01 = QString(74, 'A') + "##" + QString(74, 'B');
    ASSERT_TRUE(store().SaveEf01(c));
    EXPECT_EQ(scalar("select jg3 from sbjs").toInt(), 2);
    EXPECT_EQ(count("ef01", QStringLiteral("cbid=%1").arg(c.rID)), 2);
    EXPECT_EQ(scalar("select dat from ef01 order by id desc").toString(), QString(74, 'B'));
}

TEST_F(DbTest, DeclarationThenMonitoringThenUnlockShareOneRow) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    c.ef01 = QString(74, 'C');
    ASSERT_TRUE(store().SaveSBJS(c, 1));
    ASSERT_TRUE(store().SaveEf01(c));
    ASSERT_TRUE(store().SaveQLJS(c, 1));
    EXPECT_EQ(count("sbjs"), 1);
    EXPECT_EQ(scalar("select jg2 || ' ' || jg3 from sbjs").toString(), "1 1");
    EXPECT_EQ(count("ef01", QStringLiteral("cbid=%1").arg(c.rID)), 1);
}

TEST_F(DbTest, MonitoringDataMarksItsRowAsNotYetWritten) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    c.ef01 = QString(74, 'D');
    ASSERT_TRUE(store().SaveCBS(c, 1));
    ASSERT_TRUE(store().SaveEf01(c));
    EXPECT_EQ(scalar("select jg1 || ' ' || jg3 from sbjs").toString(), "1 2");
}

TEST_F(DbTest, BatchCommitsItsWritersTogetherOrNothing) {
    orv::RecordsStore s(db_.db(), clock_);
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    c.ef01 = QString(74, 'E');
    {
        orv::RecordsStore::Batch batch(s, c);
        ASSERT_TRUE(s.SaveCBS(c, 1));
        ASSERT_TRUE(s.SaveEf01(c));
        QString error;
        ASSERT_TRUE(batch.commit(&error)) << error.toStdString();
    }
    EXPECT_EQ(count("sbjs"), 1);
    EXPECT_EQ(count("ef01", QStringLiteral("cbid=%1").arg(c.rID)), 1);

    // The second writer fails: the first one's rows go too, rID is as before.
    QSqlQuery(RecordsDb::connection()).exec("drop table ef01");
    const qint64 before = c.rID;
    {
        orv::RecordsStore::Batch batch(s, c);
        ASSERT_TRUE(s.SaveCBS(c, 1));
        EXPECT_NE(c.rID, before);
        QString error;
        EXPECT_FALSE(s.SaveEf01(c, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(c.rID, before);
    EXPECT_EQ(count("sbjs"), 1);
    EXPECT_EQ(count("ef09"), 62);
    // Writers after the batch have transactions of their own again.
    EXPECT_TRUE(s.SaveCBS(c, 2));
    EXPECT_EQ(count("sbjs"), 2);
}

TEST_F(DbTest, UpdatingAVanishedRowIsAnError) {
    orv::CardData c = cardFrom(cardsim::realisticSpec());
    c.rID = 99;
    QString error;
    EXPECT_FALSE(store().SaveQLJS(c, 1, &error));
    EXPECT_NE(error.indexOf("99"), -1);
}

TEST_F(DbTest, EmptyCardTextsProduceNoRows) {
    orv::CardData c;
    ASSERT_TRUE(store().SaveCBS(c, 2));
    EXPECT_EQ(count("ef02"), 1);
    EXPECT_EQ(count("ef04") + count("ef06") + count("ef09"), 0);
}

TEST(DbOpen, TellsAMissingFileFromOneThatIsNoDatabase) {
    orvtest::TempDir dir;
    EXPECT_EQ(RecordsDb::open(QString::fromStdString(dir.file("orv.db"))),
              RecordsDb::OpenResult::Missing);
    orvtest::writeFile(dir.file("orv.db"), std::string(4096, 'x'));
    QString error;
    EXPECT_EQ(RecordsDb::open(QString::fromStdString(dir.file("orv.db")), &error),
              RecordsDb::OpenResult::NotADatabase);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RecordsDb::connection().isOpen());
    EXPECT_FALSE(
        RecordsDb::createFresh(QString::fromStdString(dir.file("orv.db"))));  // never overwrites
}

// The kill test (savekill_test) shows what a kill leaves; this pins the
// settings that also keep a commit through a power cut, on a file that
// came in another mode.
TEST(DbOpen, WritesThroughARollbackJournalWithEverySync) {
    orvtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("orv.db"));
    ASSERT_TRUE(RecordsDb::createFresh(path));
    {
        ASSERT_EQ(RecordsDb::open(path), RecordsDb::OpenResult::Ok);
        scalar("pragma journal_mode=WAL");
        RecordsDb::close();
    }
    ASSERT_EQ(RecordsDb::open(path), RecordsDb::OpenResult::Ok);
    EXPECT_EQ(scalar("pragma journal_mode").toString(), "delete");
    EXPECT_EQ(scalar("pragma synchronous").toInt(), 3);  // EXTRA
    RecordsDb::close();
    EXPECT_FALSE(QFileInfo::exists(path + "-wal"));
}

TEST(DbUpgrade, AddsTheNameColumnsOnceAndLeavesEf02Alone) {
    orvtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("orv.db"));
    ASSERT_TRUE(RecordsDb::createFresh(path));
    ASSERT_EQ(RecordsDb::open(path), RecordsDb::OpenResult::Ok);
    QSqlDatabase db = RecordsDb::connection();
    // An old file: the same tables without nsrmc.
    for (const char* t : {"sbjs", "ef01", "ef04", "ef06", "ef09"})
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("alter table %1 drop column nsrmc").arg(t)));
    RecordsDb::upgrade(db);
    for (const char* t : {"sbjs", "ef01", "ef04", "ef06", "ef09"})
        EXPECT_TRUE(QSqlQuery(db).exec(QStringLiteral("select nsrmc from %1 where 1=2").arg(t)))
            << t;
    EXPECT_FALSE(QSqlQuery(db).exec("select nsrmc from ef02 where 1=2"));
    const QString before = scalar("select group_concat(sql, ';') from sqlite_master").toString();
    RecordsDb::upgrade(db);
    EXPECT_EQ(scalar("select group_concat(sql, ';') from sqlite_master").toString(), before);
    RecordsDb::close();
}

}  // namespace
