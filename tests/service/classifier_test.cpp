// Every branch of the reply classifier, with its texts and what it saves.
#include <gtest/gtest.h>

#include <QSqlQuery>

#include "appcard.h"
#include "base/Text.h"
#include "card/CardData.h"
#include "card/RecordsDb.h"
#include "card/RecordsStore.h"
#include "fakes.h"
#include "openrecordsdb.h"
#include "service/OperationTexts.h"
#include "service/ReplyClassifier.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/Texts.h"
#include "service/Wire.h"
#include "tempdir.h"
#include "zelreader.h"

namespace {

using orv::RecordsDb;

struct Field {
    int offset;
    QString text;
};

// A reply with `type` at 16 and the fields at their byte offsets (GBK).
orv::wire::Reply reply(const char* type, std::initializer_list<Field> fields) {
    QByteArray b = "QVNX" + QByteArray(12, ' ') + type;
    for (const Field& f : fields) {
        const QByteArray bytes = orv::toGbk(f.text);
        if (b.size() < f.offset + bytes.size()) b.resize(f.offset + bytes.size(), ' ');
        b.replace(f.offset, bytes.size(), bytes);
    }
    return orv::wire::unpack(b);
}

class ClassifierTest : public ::testing::Test {
protected:
    void SetUp() override { run_.registerId = orv::registerIdFor(card_); }
    int classify(const orv::wire::Reply& r) {
        QString error;
        EXPECT_TRUE(classifier_.classify(r, &error)) << error.toStdString();
        return run_.step;
    }
    int scalar(const QString& sql) {
        QSqlQuery q(RecordsDb::connection());
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

    orvtest::TempDir dir_;
    orvtest::OpenRecordsDb db_{dir_};
    orvtest::FakeClock clock_;
    orv::CardData card_ = orvtest::cardDataFrom(cardsim::realisticSpec());
    orv::RunState run_;
    orv::RequestBuilder builder_{card_, run_, orvtest::libraryCrc, [] { return qint64{7}; },
                                 clock_};
    orv::RecordsStore store_{db_.db(), clock_};
    orv::ReplyClassifier classifier_{card_, run_, builder_, store_};
};

TEST_F(ClassifierTest, Q2WithSerialBuildsTheFirstReport) {
    EXPECT_EQ(classify(reply("Q2", {{130, "SV20120303000001"}, {220, "0"}})), 2);
    EXPECT_EQ(card_.rSn, "SV20120303000001");
    EXPECT_EQ(card_.s1, card_.ef02);
    EXPECT_EQ(orv::wire::unpack(run_.outgoing).type(), "S1");
    EXPECT_EQ(run_.outgoing.mid(35, 16), "SV20120303000001");
}

TEST_F(ClassifierTest, Q2WithShortSerialEndsTheRun) {
    EXPECT_EQ(classify(reply("Q2", {{130, "  20120303000001"}})), 30);
    EXPECT_EQ(card_.statusText, orv::texts::kSerialFailed);
    EXPECT_TRUE(run_.outgoing.isEmpty());
}

TEST_F(ClassifierTest, S2WithMonitoringRecordGoesToClearUnlockBeforeAnythingElse) {
    const QString record = "0123456789ABCDEF" + QString(58, 'E');
    EXPECT_EQ(classify(reply("S2", {{130, "0"}, {220, "74"}, {235, record}})), 4);
    EXPECT_EQ(card_.ef01, record);
    EXPECT_EQ(scalar("select count(*) from ef01"), 1);
    EXPECT_EQ(scalar("select jg3 from sbjs"), 2);
}

// Regression: a report answered with the monitoring record left no trace of
// itself: jg1 stayed 0 and none of the card's data was kept.
TEST_F(ClassifierTest, ReportAcceptedWithTheMonitoringRecordIsKept) {
    EXPECT_EQ(classify(reply("S2", {{220, "74"}, {235, QString(74, 'C')}})), 4);
    EXPECT_EQ(scalar("select count(*) from sbjs"), 1);
    EXPECT_EQ(scalar("select jg1 * 10 + jg3 from sbjs"), 12);
    EXPECT_EQ(scalar("select count(*) from ef04"), 2);
    EXPECT_EQ(scalar("select count(*) from ef06"), 2 * 3);
    EXPECT_EQ(scalar("select count(*) from ef09"), 2 * 31);
    EXPECT_EQ(scalar("select count(*) from ef01 where cbid = (select id from sbjs)"), 1);
}

// Regression: an S2 or K2 that said the server had accepted, with
// monitoring data the card cannot take, left no trace, and its text invited
// the user to report or pay again what the server had booked.
TEST_F(ClassifierTest, AcceptanceWithUnusableMonitoringDataIsKeptAndNothingWritten) {
    const QString notHex = "XYZ" + QString(71, 'A');
    const QString shown = orv::texts::kMonitoringUnusable + "\n" + orv::texts::kContactService;
    EXPECT_EQ(classify(reply("S2", {{220, "74"}, {235, notHex}})), 31);
    EXPECT_EQ(card_.statusText, shown);
    EXPECT_EQ(scalar("select jg1 * 100 + jg2 * 10 + jg3 from sbjs"), 106);
    EXPECT_EQ(scalar("select count(*) from ef04"), 2);  // the report's data, as accepted
    EXPECT_EQ(classify(reply("K2", {{235, "74"}, {250, QString(70, 'A')}})), 33);  // cut short
    EXPECT_EQ(card_.statusText, shown);
    EXPECT_EQ(scalar("select jg1 * 100 + jg2 * 10 + jg3 from sbjs"), 116);  // the same row
    EXPECT_EQ(scalar("select count(*) from ef01"), 0);
    card_.rID = -1;  // a payment on its own: a row of its own
    EXPECT_EQ(classify(reply("K2", {{235, "74"}, {250, notHex}})), 33);
    EXPECT_EQ(scalar("select jg2 * 10 + jg3 from sbjs where jg1 = 0"), 16);
}

// Regression: monitoring data the card cannot take reached clear-unlock.
TEST_F(ClassifierTest, MonitoringDataThatIsNoWholeHexRecordsIsRefused) {
    const QString notHex = "XYZ" + QString(71, 'A');
    for (const QString& data : {QString(73, 'A'), QString(74, 'A') + "#" + QString(74, 'B'),
                                QString(74, 'A') + "##", QString(148, 'A'), notHex}) {
        EXPECT_EQ(
            classify(reply("K4", {{70, "05"}, {238, QString::number(data.size())}, {253, data}})),
            32)
            << data.toStdString();
        EXPECT_EQ(card_.statusText, orv::texts::kAbnormalReply);
    }
    EXPECT_EQ(scalar("select count(*) from sbjs"), 0);
    EXPECT_EQ(scalar("select count(*) from ef01"), 0);
    EXPECT_TRUE(orv::wholeMonitoringRecords(QString(74, 'a')));
    EXPECT_FALSE(orv::wholeMonitoringRecords(QString()));
}

// Regression: a K4 of business type 05 went to clear-unlock with nothing to
// write, so the card stayed locked and jg3 said the write failed.
TEST_F(ClassifierTest, K4Of05KeepsItsDataAsTheMonitoringRecords) {
    const QString first(74, '1'), second(74, '2');
    const QString data = first + "##" + second;
    EXPECT_EQ(classify(reply("K4", {{70, "05"}, {238, QString::number(data.size())}, {253, data}})),
              10);
    EXPECT_EQ(card_.ef01, data);
    EXPECT_EQ(scalar("select jg3 from sbjs"), 2);
    QSqlQuery q(RecordsDb::connection());
    ASSERT_TRUE(q.exec("select dat from ef01 order by id"));
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString();
    EXPECT_EQ(rows, (QStringList{first, second}));
}

TEST_F(ClassifierTest, S2AskingForTheDetailBuildsTheSecondReport) {
    EXPECT_EQ(classify(reply("S2", {{130, "0"}, {220, "0"}})), 5);
    EXPECT_EQ(card_.s1, card_.ef04 + "#" + card_.ef06 + "#" + card_.ef09);
    EXPECT_EQ(orv::wire::unpack(run_.outgoing).type(), "S1");
}

TEST_F(ClassifierTest, S2StatusTextSavesTheReportAsSuccessOrFailure) {
    EXPECT_EQ(classify(reply("S2", {{70, "本月抄报税成功"}, {220, "0"}})), 6);
    EXPECT_EQ(scalar("select jg1 from sbjs order by id desc"), 1);
    EXPECT_EQ(classify(reply("S2", {{70, "本月已抄报"}})), 6);
    EXPECT_EQ(scalar("select jg1 from sbjs order by id desc"), 2);
    EXPECT_EQ(card_.statusText, QStringLiteral("本月已抄报"));
    EXPECT_EQ(scalar("select count(*) from ef09"), 2 * 2 * 31);
}

TEST_F(ClassifierTest, S2ResultTextEndsTheReportSuccessfully) {
    EXPECT_EQ(classify(reply("S2", {{130, "请申报"}})), 7);
    EXPECT_EQ(scalar("select jg1 from sbjs"), 1);
    EXPECT_EQ(classify(reply("S2", {{130, "X"}})), 31);
    EXPECT_EQ(card_.statusText, orv::texts::kAbnormalReply);
}

TEST_F(ClassifierTest, K2Branches) {
    const QString record(74, 'D');
    EXPECT_EQ(classify(reply("K2", {{235, "74"}, {250, record}})), 20);
    // Stored, not yet written: clear-unlock sets the outcome.
    EXPECT_EQ(scalar("select jg2 || jg3 from sbjs"), 12);
    EXPECT_EQ(scalar("select count(*) from ef01"), 1);

    card_.rID = -1;
    EXPECT_EQ(classify(reply("K2", {{85, "缴款失败"}})), 21);
    EXPECT_EQ(scalar("select jg2 from sbjs order by id desc"), 2);
    EXPECT_EQ(classify(reply("K2", {})), 33);
    EXPECT_EQ(card_.statusText, orv::texts::kAbnormalReply);
    EXPECT_EQ(classify(reply("K2", {{145, "已缴款"}})), 22);
}

TEST_F(ClassifierTest, K4Branches) {
    const QString record(74, 'F');
    EXPECT_EQ(classify(reply("K4", {{70, "05"}, {238, "74"}, {253, record}})), 10);
    EXPECT_EQ(card_.replyData, record);
    EXPECT_EQ(classify(reply("K4", {{70, "03"}, {72, "1"}, {73, "123.45"}, {148, "应纳税额"}})),
              11);
    EXPECT_DOUBLE_EQ(card_.nsje, 123.45);
    EXPECT_EQ(card_.yhlx, "1");
    EXPECT_EQ(classify(reply("K4", {{70, "12"}, {88, "不能申报"}})), 17);
    EXPECT_EQ(classify(reply("K4", {{70, "12"}, {72, "4"}, {148, "请输入金额"}})), 14);
    EXPECT_EQ(classify(reply("K4", {{70, "12"}})), 32);
    EXPECT_EQ(card_.statusText, orv::texts::kAbnormalReply);
    EXPECT_EQ(classify(reply("K4", {{70, "12"}, {238, "2"}, {253, "ok"}})), 13);
}

TEST_F(ClassifierTest, K4AfterTheDeclarationWithAmountsTakesTheTax) {
    run_.declarationKind = 2;
    EXPECT_EQ(classify(reply("K4", {{70, "12"}, {73, "56.78"}, {148, "请缴款"}})), 11);
    EXPECT_DOUBLE_EQ(card_.nsje, 56.78);
    EXPECT_EQ(classify(reply("K4", {{70, "12"}, {73, "1"}})), 17);
    EXPECT_EQ(card_.statusText, orv::texts::kAbnormalReply);
}

// Regression: the texts lost every blank around them, so a status text of
// full-width spaces counted as empty and "\t0\t" asked for the detail.
TEST_F(ClassifierTest, ReplyTextsAreTrimmedOfSpacesOnly) {
    const QString fullWidth = QStringLiteral("\u3000\u3000");
    EXPECT_EQ(classify(reply("S2", {{70, fullWidth}, {220, "0"}})), 6);
    EXPECT_EQ(card_.statusText, fullWidth);
    EXPECT_EQ(scalar("select jg1 from sbjs order by id desc"), 2);
    EXPECT_EQ(classify(reply("S2", {{130, "\t0\t"}})), 7);
    EXPECT_EQ(card_.resultText, "\t0\t");
    EXPECT_EQ(classify(reply("K4", {{70, "12"}, {238, "4"}, {253, "\tab "}})), 13);
    EXPECT_EQ(card_.replyData, "\tab");
}

// Regression: a tax amount of "inf" or "nan" became a number.
TEST_F(ClassifierTest, TaxAmountThatIsNoPlainNumberIsZero) {
    for (const char* amount : {"inf", "nan", "-INF", "1e308"}) {
        card_.nsje = 1;
        EXPECT_EQ(classify(reply("K4", {{70, "03"}, {72, "1"}, {73, amount}})), 11);
        EXPECT_EQ(card_.nsje, 0.0) << amount;
    }
}

TEST_F(ClassifierTest, OtherRepliesAreAbnormal) {
    for (const QByteArray& raw :
         {QByteArray("HELLO, THIS IS NOT A FRAME\r\n"), QByteArray("QVNX12"), QByteArray(),
          QByteArray("QVNX" + QByteArray(12, ' ') + "Z9")}) {
        run_.step = 0;
        EXPECT_EQ(classify(orv::wire::unpack(raw)), 34) << raw.toStdString();
        EXPECT_EQ(card_.statusText, orv::texts::kAbnormalReply);
    }
    // A reply not starting with QVNX is still classified by offset 16.
    EXPECT_EQ(classify(orv::wire::unpack(QByteArray(16, 'x') + "Q2" + QByteArray(200, ' '))), 30);
    run_.step = 0;
    classifier_.refuse();
    EXPECT_EQ(run_.step, 34);
}

TEST_F(ClassifierTest, DatabaseFailureReachesTheCaller) {
    QSqlQuery(RecordsDb::connection()).exec("drop table ef01");
    QString error;
    EXPECT_FALSE(classifier_.classify(reply("S2", {{220, "74"}, {235, QString(74, 'A')}}), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(run_.step, 4);
}

}  // namespace
