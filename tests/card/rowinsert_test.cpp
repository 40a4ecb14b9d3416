// Rows go through the QSQLITE driver's handle only when the plugin and the
// program share one SQLite library; Qt's own binding stores the same rows.
#include <gtest/gtest.h>

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>

#include "appcard.h"
#include "card/CardData.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"
#include "card/RowInsert.h"
#include "card/SqliteLink.h"
#include "fakes.h"
#include "onwindows.h"
#include "openrecordsdb.h"
#include "tempdir.h"

namespace {

using orv::RecordsDb;
using orv::RowInsert;
using Binding = orv::RowInsert::Binding;

// Every row of `tables`, each value with its SQLite type, in id order.
QStringList dump(const QSqlDatabase& db, const QStringList& tables) {
    QStringList rows;
    for (const QString& t : tables) {
        QSqlQuery info(db);
        EXPECT_TRUE(info.exec(QStringLiteral("pragma table_info(%1)").arg(t)));
        QStringList values;
        while (info.next()) {
            const QString c = info.value(1).toString();
            values << QStringLiteral("typeof(%1) || ':' || quote(%1)").arg(c);
        }
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QStringLiteral("select %1 from %2 order by id")
                               .arg(values.join(QStringLiteral(" || '|' || ")), t)));
        while (q.next())
            rows << t + QLatin1Char(' ') + q.value(0).toString();
    }
    return rows;
}

// A copy-tax report, a second one without serial (a null text), and the
// monitoring data, stored with `binding`; what the database then holds.
QStringList storeCard(Binding binding) {
    orvtest::TempDir dir;
    orvtest::OpenRecordsDb db(dir);
    orvtest::FakeClock clock;
    orv::RecordsStore store(db.db(), clock, binding);
    orv::CardData c = orvtest::cardDataFrom(cardsim::realisticSpec());
    c.rSn = QStringLiteral("2012030300000005");
    QString error;
    EXPECT_TRUE(store.SaveCBS(c, 1, &error)) << error.toStdString();
    c.rSn = QString();
    EXPECT_TRUE(store.SaveCBS(c, 2, &error)) << error.toStdString();
    c.ef01 = QString(74, 'A') + "##" + QString(74, 'B');
    EXPECT_TRUE(store.SaveEf01(c, &error)) << error.toStdString();
    return dump(db.db(), {"sbjs", "ef01", "ef02", "ef04", "ef06", "ef09"});
}

// Regression: rows were inserted through the driver's SQLite handle with the
// program's own SQLite, whichever SQLite the driver's plugin used.
TEST(RowInsert, TakesTheDriverHandleOnlyWhenItsSqliteIsOurs) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "Windows always binds through Qt (SqliteLink_other)";
    orvtest::TempDir dir;
    orvtest::OpenRecordsDb db(dir);
    // Debian's QSQLITE plugin links the system libsqlite3, as the program does.
    EXPECT_TRUE(orv::driverUsesOurSqlite(db.db().driver()->metaObject()));
    EXPECT_TRUE(RowInsert(db.db(), "ef01", {"dat"}).native());
    EXPECT_FALSE(RowInsert(db.db(), "ef01", {"dat"}, Binding::Qt).native());
    // Qt Core is linked against no SQLite; nothing at all proves nothing.
    EXPECT_FALSE(orv::driverUsesOurSqlite(&QObject::staticMetaObject));
    EXPECT_FALSE(orv::driverUsesOurSqlite(nullptr));
}

TEST(RowInsert, BothBindingsStoreTheSameRows) {
    const QStringList native = storeCard(Binding::Fastest);
    const QStringList qt = storeCard(Binding::Qt);
    EXPECT_GT(native.size(), 100);
    EXPECT_EQ(native, qt);
}

TEST(RowInsert, BothBindingsTakeEveryValueKindAndReportErrors) {
    QStringList stored[2];
    for (const Binding b : {Binding::Fastest, Binding::Qt}) {
        orvtest::TempDir dir;
        orvtest::OpenRecordsDb db(dir);
        ASSERT_TRUE(QSqlQuery(db.db()).exec(
            "create table t (id integer primary key, a, b, c, d, e, f, g not null)"));
        RowInsert insert(db.db(), "t", {"a", "b", "c", "d", "e", "f", "g"}, b);
        QString error;
        ASSERT_TRUE(insert.ok(&error)) << error.toStdString();
        // Windows always binds through Qt.
        EXPECT_EQ(insert.native(), b == Binding::Fastest && !orvtest::kOnWindows);
        ASSERT_TRUE(insert.run(
            {QString(), QStringLiteral("北京"), QVariant(), 1.25, qint64{1} << 40, true, 7},
            &error))
            << error.toStdString();
        EXPECT_EQ(insert.lastId(), 1);
        ASSERT_TRUE(insert.run({"", "x", 2u, -0.5, -3, false, "g"}, &error));
        EXPECT_EQ(insert.lastId(), 2);
        EXPECT_FALSE(insert.run({"", "", 0, 0, 0, 0, QVariant()}, &error));  // g is not null
        EXPECT_TRUE(error.contains("NOT NULL", Qt::CaseInsensitive)) << error.toStdString();
        stored[b == Binding::Qt] = dump(db.db(), {"t"});

        RowInsert missing(db.db(), "nosuchtable", {"a"}, b);
        error.clear();
        EXPECT_FALSE(missing.ok(&error));
        EXPECT_TRUE(error.contains("nosuchtable")) << error.toStdString();
        EXPECT_FALSE(missing.run({1}, &error));
    }
    EXPECT_EQ(stored[0], stored[1]);
    EXPECT_EQ(stored[0].value(0),
              "t integer:1|text:''|text:'北京'|null:NULL|real:1.25|integer:1099511627776|"
              "integer:1|integer:7");
}

TEST(RowInsert, ClosedDatabaseIsAnError) {
    QString error;
    RowInsert insert(QSqlDatabase(), "t", {"a"});
    EXPECT_FALSE(insert.ok(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(insert.lastId(), -1);
}

}  // namespace
