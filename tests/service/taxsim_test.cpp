// Message-level round trips of every scenario against a running taxsim,
// with a plain socket client and the real builders and classifier.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTcpSocket>

#include "RequestCheck.h"
#include "appcard.h"
#include "card/CardData.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"
#include "fakes.h"
#include "openrecordsdb.h"
#include "service/ReplyClassifier.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/Wire.h"
#include "taxsim.h"
#include "tempdir.h"
#include "zellib.h"
#include "zelreader.h"

namespace {

using orv::RecordsDb;
using orv::wire::ReplyAccumulator;
using orvtest::TaxSim;

struct Exchange {
    QByteArray reply;
    ReplyAccumulator::State state = ReplyAccumulator::State::Incomplete;
    int reads = 0;
};

// One connection: send, gather the reply until complete or closed.
Exchange exchange(quint16 port, const QByteArray& request, int waitMs = 3000) {
    Exchange e;
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(3000)) return e;
    s.write(request);
    s.waitForBytesWritten(3000);
    ReplyAccumulator acc;
    while (e.state == ReplyAccumulator::State::Incomplete) {
        if (!s.waitForReadyRead(waitMs)) {
            if (s.state() != QAbstractSocket::ConnectedState) e.state = acc.finish();
            break;
        }
        ++e.reads;
        e.state = acc.add(s.readAll());
    }
    e.reply = acc.bytes();
    return e;
}

// A client run: the card, the builders, the classifier and a database.
class ClientRun {
public:
    explicit ClientRun(const orvtest::TempDir& dir) : db(dir) {
        run.registerId = orv::registerIdFor(card);
    }

    // Sends the outgoing request, classifies the reply; the new step.
    int send(quint16 port) {
        const Exchange e = exchange(port, run.outgoing);
        if (e.state == ReplyAccumulator::State::Refused) {
            classifier.refuse();
        } else {
            QString error;
            EXPECT_TRUE(classifier.classify(orv::wire::unpack(e.reply), &error))
                << error.toStdString();
        }
        return run.step;
    }
    // Q1 through to the end of the report.
    int report(quint16 port) {
        builder.buildSerialRequest();
        int step = send(port);
        while (step == 2 || step == 5)
            step = send(port);
        return step;
    }

    orvtest::OpenRecordsDb db;
    orvtest::FakeClock clock;
    orv::CardData card = orvtest::cardDataFrom(cardsim::realisticSpec());
    orv::RunState run;
    orv::RequestBuilder builder{card, run, orvtest::libraryCrc, [] { return qint64{42}; }, clock};
    orv::RecordsStore store{db.db(), clock};
    orv::ReplyClassifier classifier{card, run, builder, store};
};

class TaxSimTest : public ::testing::Test {
protected:
    // Every request the server saw passed its checks.
    void expectAllValid(const TaxSim& sim, int requests) {
        const QList<QJsonObject> lines = sim.lines();
        EXPECT_EQ(lines.size(), requests);
        for (const QJsonObject& l : lines)
            EXPECT_TRUE(l["ok"].toBool()) << QJsonDocument(l).toJson().toStdString();
    }
    orvtest::TempDir dir_;
};

TEST_F(TaxSimTest, UnlockReturnsTheMonitoringRecordAfterTheDetail) {
    TaxSim sim(dir_, "unlock");
    ClientRun c(dir_);
    EXPECT_EQ(c.report(sim.port()), 4);
    EXPECT_EQ(c.card.ef01.size(), 74);
    expectAllValid(sim, 3);
    EXPECT_EQ(sim.lines()[2]["report"].toString(), "detail");
}

TEST_F(TaxSimTest, ReportOkAndFailEndWithTheStatusText) {
    for (const auto& [scenario, result] :
         {std::pair{"report-ok", 1}, std::pair{"report-fail", 2}}) {
        orvtest::TempDir dir;
        TaxSim sim(dir, scenario);
        ClientRun c(dir);
        EXPECT_EQ(c.report(sim.port()), 6) << scenario;
        QSqlQuery q(RecordsDb::connection());
        ASSERT_TRUE(q.exec("select jg1 from sbjs") && q.next());
        EXPECT_EQ(q.value(0).toInt(), result) << scenario;
        expectAllValid(sim, 3);
    }
}

TEST_F(TaxSimTest, Declare03GoesFromQueryToPayment) {
    TaxSim sim(dir_, "declare-03");
    ClientRun c(dir_);
    ASSERT_EQ(c.report(sim.port()), 7);
    c.builder.buildDeclarationQuery();
    c.run.declarationKind = 1;
    EXPECT_EQ(c.send(sim.port()), 11);
    EXPECT_DOUBLE_EQ(c.card.nsje, 123.45);
    c.builder.buildPayment();
    EXPECT_EQ(c.send(sim.port()), 20);
    EXPECT_EQ(c.card.ef01.size(), 74);
    expectAllValid(sim, 5);
}

TEST_F(TaxSimTest, Declare12AsksForAmountsThenTakesTheDeclaration) {
    TaxSim sim(dir_, "declare-12");
    ClientRun c(dir_);
    ASSERT_EQ(c.report(sim.port()), 7);
    c.builder.buildDeclarationQuery();
    c.run.declarationKind = 1;
    ASSERT_EQ(c.send(sim.port()), 14);
    EXPECT_EQ(c.card.yhlx, "4");
    EXPECT_EQ(c.card.ywlx, "12");
    c.card.bqfse = 1000;
    c.card.yshw = 20.5;
    c.card.ysfw = 0.01;
    c.builder.buildDeclaration();
    c.run.declarationKind = 2;
    EXPECT_EQ(c.send(sim.port()), 11);
    EXPECT_DOUBLE_EQ(c.card.nsje, 56.78);
    c.builder.buildPayment();
    EXPECT_EQ(c.send(sim.port()), 20);
    expectAllValid(sim, 6);
    EXPECT_EQ(sim.lines()[4]["declaration"].toString(), "0.00#0.00#0.00#1000.00#20.50#0.01#0.00");
}

TEST_F(TaxSimTest, Declare05UnlocksStraightAway) {
    TaxSim sim(dir_, "declare-05");
    ClientRun c(dir_);
    ASSERT_EQ(c.report(sim.port()), 7);
    c.builder.buildDeclarationQuery();
    EXPECT_EQ(c.send(sim.port()), 10);
    // Two records, joined by "##" as the server joins them.
    EXPECT_EQ(c.card.replyData.size(), 74 + 2 + 74);
    EXPECT_EQ(c.card.ef01, c.card.replyData);
}

TEST_F(TaxSimTest, DeclarationsThatTakeTwoOrThreeAmounts) {
    struct Case {
        const char *scenario, *yhlx, *ywlx, *declared;
    };
    for (const Case& k : {Case{"declare-13", "4", "13", "0.00#0.00#0.00#0.00#0.00#0.00"},
                          Case{"declare-11", "1", "11", "0.00#0.00#0.00"}}) {
        SCOPED_TRACE(k.scenario);
        orvtest::TempDir dir;
        TaxSim sim(dir, k.scenario);
        ClientRun c(dir);
        ASSERT_EQ(c.report(sim.port()), 7);
        c.builder.buildDeclarationQuery();
        c.run.declarationKind = 1;
        ASSERT_EQ(c.send(sim.port()), 14);
        EXPECT_EQ(c.card.yhlx, k.yhlx);
        EXPECT_EQ(c.card.ywlx, k.ywlx);
        c.builder.buildDeclaration();
        c.run.declarationKind = 2;
        EXPECT_EQ(c.send(sim.port()), 11);
        c.builder.buildPayment();
        EXPECT_EQ(c.send(sim.port()), 20);
        expectAllValid(sim, 6);
        EXPECT_EQ(sim.lines()[4]["declaration"].toString(), k.declared);
    }
}

TEST_F(TaxSimTest, BadRecordIsNoHexMonitoringRecord) {
    TaxSim sim(dir_, "bad-record");
    ClientRun c(dir_);
    EXPECT_EQ(c.report(sim.port()), 31);
    expectAllValid(sim, 3);
}

// A fault at one request of the flow; the requests before it are answered
// as the scenario answers them.
TEST_F(TaxSimTest, FaultAtTheNthRequestOnly) {
    struct Case {
        const char* fault;
        int step;
    };
    for (const Case& k : {Case{"garbage:3", 34}, Case{"short:2", 34}, Case{"close:3", 34}}) {
        SCOPED_TRACE(k.fault);
        orvtest::TempDir dir;
        TaxSim sim(dir, "unlock", k.fault);
        ClientRun c(dir);
        EXPECT_EQ(c.report(sim.port()), k.step);
        const int at = QString(k.fault).section(':', 1).toInt();
        expectAllValid(sim, at);
    }
    orvtest::TempDir dir;
    TaxSim sim(dir, "unlock", "silent:2");
    ClientRun c(dir);
    c.builder.buildSerialRequest();
    EXPECT_EQ(c.send(sim.port()), 2);
    const Exchange e = exchange(sim.port(), c.run.outgoing, 300);
    EXPECT_EQ(e.state, ReplyAccumulator::State::Incomplete);
}

TEST_F(TaxSimTest, RefuseStopsListeningBeforeTheNthRequest) {
    TaxSim sim(dir_, "unlock", "refuse:2");
    ClientRun c(dir_);
    c.builder.buildSerialRequest();
    EXPECT_EQ(c.send(sim.port()), 2);
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, sim.port());
    EXPECT_FALSE(s.waitForConnected(3000));
    EXPECT_EQ(s.error(), QAbstractSocket::ConnectionRefusedError);

    orvtest::TempDir dir;
    TaxSim first(dir, "unlock", "refuse:1");
    EXPECT_NE(first.port(), 0);
    QTcpSocket t;
    t.connectToHost(QHostAddress::LocalHost, first.port());
    EXPECT_FALSE(t.waitForConnected(3000));
}

TEST_F(TaxSimTest, SplitRepliesAreGatheredWhole) {
    TaxSim sim(dir_, "split");
    ClientRun c(dir_);
    c.builder.buildSerialRequest();
    const Exchange e = exchange(sim.port(), c.run.outgoing);
    EXPECT_EQ(e.state, ReplyAccumulator::State::Complete);
    EXPECT_GE(e.reads, 2);
    EXPECT_EQ(c.report(sim.port()), 4);  // the whole flow in split replies
}

TEST_F(TaxSimTest, FaultyServersEndTheRunAsAbnormal) {
    struct Case {
        const char* scenario;
        int step;
    };
    for (const Case& k :
         {Case{"garbage", 34}, Case{"short", 34}, Case{"close", 34}, Case{"bad-serial", 30}}) {
        orvtest::TempDir dir;
        TaxSim sim(dir, k.scenario);
        ClientRun c(dir);
        EXPECT_EQ(c.report(sim.port()), k.step) << k.scenario;
        expectAllValid(sim, 1);
    }
}

TEST_F(TaxSimTest, SilentServerNeverAnswers) {
    TaxSim sim(dir_, "silent");
    ClientRun c(dir_);
    c.builder.buildSerialRequest();
    const Exchange e = exchange(sim.port(), c.run.outgoing, 300);
    EXPECT_EQ(e.state, ReplyAccumulator::State::Incomplete);
    EXPECT_TRUE(e.reply.isEmpty());
}

TEST_F(TaxSimTest, ServerReportsWhatIsWrongWithARequest) {
    TaxSim sim(dir_, "unlock");
    ClientRun c(dir_);
    c.builder.buildSerialRequest();
    QByteArray broken = c.run.outgoing;
    broken[100] = 'x';  // inside the taxpayer code: the body CRC no longer fits
    exchange(sim.port(), broken);
    ASSERT_EQ(c.send(sim.port()), 2);
    c.card.rSn = "0000000000000000";  // not the run's serial
    c.builder.buildReport();
    exchange(sim.port(), c.run.outgoing);
    const QList<QJsonObject> lines = sim.lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_FALSE(lines[0]["ok"].toBool());
    EXPECT_TRUE(lines[0]["errors"].toVariant().toStringList().contains("body CRC is wrong"));
    EXPECT_TRUE(lines[1]["ok"].toBool());
    EXPECT_FALSE(lines[2]["ok"].toBool());
}

// Regression: a detail report whose EF06 (or EF06 and EF09) was empty held
// no single "#" between files and was refused as not EF04#EF06#EF09.
TEST(RequestCheck, DetailReportMayHaveEmptyFiles) {
    const orv::CardData full = orvtest::cardDataFrom(cardsim::realisticSpec());
    ASSERT_TRUE(full.ef04.contains("##") && full.ef06.contains("##") && full.ef09.contains("##"));
    const struct {
        bool ef04, ef06, ef09;  // which files keep their records
    } rows[] = {{true, false, true},  {true, false, false}, {false, false, true},
                {false, true, false}, {true, true, false},  {false, false, false},
                {true, true, true}};
    for (const auto& row : rows) {
        orv::CardData card = full;
        card.rSn = "2012030300000042";
        if (!row.ef04) card.ef04.clear();
        if (!row.ef06) card.ef06.clear();
        if (!row.ef09) card.ef09.clear();
        orvtest::FakeClock clock;
        orv::RunState run;
        run.registerId = orv::registerIdFor(full);
        orv::RequestBuilder builder{card, run, orvtest::libraryCrc, [] { return qint64{42}; },
                                    clock};
        card.joinS1(2);
        builder.buildReport();
        taxsim::RunContext context{run.registerId, card.rSn, 1, {}, {}};
        const taxsim::Check c = taxsim::checkRequest(run.outgoing, context);
        const std::string what = std::to_string(row.ef04) + std::to_string(row.ef06) +
                                 std::to_string(row.ef09) + ": " +
                                 c.errors.join("; ").toStdString();
        EXPECT_TRUE(c.ok()) << what;
        EXPECT_EQ(taxsim::splitDetailReport(card.s1),
                  (QStringList{card.ef04, card.ef06, card.ef09}))
            << what;
    }
}

TEST(RequestCheck, DetailReportOfAnotherShapeIsRefused) {
    const QString ef04(440, 'A'), group = QString(36, '0') + "|" + QString(74, '1');
    for (const QString& data :
         {QString(), QString("#"), QString("###"), ef04 + "#" + group + "#" + group + "#" + group,
          ef04 + "###" + group, ef04 + "##" + ef04, group + "##" + group, "#" + ef04 + "###"}) {
        EXPECT_EQ(taxsim::splitDetailReport(data), std::nullopt) << data.toStdString();
    }
    EXPECT_EQ(taxsim::splitDetailReport("##"), (QStringList{"", "", ""}));
    EXPECT_EQ(taxsim::splitDetailReport(ef04 + "##" + ef04 + "##" + group),
              (QStringList{ef04 + "##" + ef04, "", group}));
}

}  // namespace
