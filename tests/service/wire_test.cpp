// The request frames byte by byte, computed here from the layout tables,
// and the reply side of the wire: gathering, unpacking, fields, log form.
#include <gtest/gtest.h>

#include <cmath>

#include "base/Text.h"
#include "card/CardAccess.h"
#include "card/CardData.h"
#include "fakes.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/Wire.h"
#include "tempdir.h"
#include "zellib.h"
#include "zelreader.h"

namespace {

using orv::wire::ReplyAccumulator;

QString sp(int n) {
    return QString(n, ' ');
}

// The frame a request must be: header computed independently of the code
// under test, with the library's CRC32 called directly.
QByteArray expectedFrame(const QString& afterHeader) {
    QByteArray body = afterHeader.toLatin1();
    QByteArray f = "QVNX";
    const quint32 n = static_cast<quint32>(body.size());
    f += char(n >> 24);
    f += char(n >> 16);
    f += char(n >> 8);
    f += char(n);
    auto le = [](qint32 v) {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = char((static_cast<quint32>(v) >> (8 * i)) & 0xFF);
        return b;
    };
    f += le(CRC32(reinterpret_cast<const uint8_t*>(body.constData()),
                  static_cast<int32_t>(body.size())));
    f += le(CRC32(reinterpret_cast<const uint8_t*>(f.constData()), 12));
    return f + body;
}

class RequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvtest::installReaderLibrary(dir_, false);
        card_.ef02 =
            "0101"
            "1101082012345678" +
            QString(402, 'A');
        card_.ef06 = "4990100000123451" + QString(20, '0') + "|";
        run_.registerId = orv::registerIdFor(card_);
        clock_.t = {2012, 3, 3, 10, 0, 0};
    }
    orvtest::TempDir dir_;
    orvtest::FakeWaiter waiter_;
    orvtest::FakeClock clock_;
    orv::ZelLibrary lib_{QString::fromStdString(dir_.path().string())};
    orv::CardAccess access_{lib_, waiter_};
    orv::CardData card_;
    orv::RunState run_;
    qint64 counter_ = 5;
    orv::RequestBuilder builder_{
        card_, run_, [this](const QByteArray& d, int f, int l) { return access_.CRC32(d, f, l); },
        [this] { return counter_; }, clock_};
};

TEST_F(RequestTest, Q1CarriesANewSerialAndTheTaxpayerCode) {
    builder_.buildSerialRequest();
    EXPECT_EQ(card_.rSn, "2012030300000005");
    const QString fields =
        "Q1"
        "44990100000123451"
        "2012030300000005"
        "06"
        "20120303" +
        sp(8) + "20120303" + sp(8) + "1101082012345678" + sp(6) + sp(15) + sp(60) + sp(80) +
        sp(10) + "0" + sp(14);
    ASSERT_EQ(run_.outgoing.size(), 287);
    EXPECT_EQ(run_.outgoing.mid(4, 4), QByteArray("\x00\x00\x01\x0F", 4));  // 271
    EXPECT_EQ(run_.outgoing, expectedFrame(fields));
    counter_ = 6;
    builder_.buildSerialRequest();  // a serial already set is kept
    EXPECT_EQ(card_.rSn, "2012030300000005");
}

TEST_F(RequestTest, S1CarriesTheReportData) {
    card_.rSn = "SV20120303000001";
    card_.s1 = "0123ABCD";
    builder_.buildReport();
    EXPECT_EQ(run_.outgoing, expectedFrame("S1"
                                           "44990100000123451"
                                           "SV20120303000001" +
                                           sp(22) + sp(15) + sp(60) + sp(80) + sp(10) + "8" +
                                           sp(14) + "0123ABCD"));
    EXPECT_EQ(run_.outgoing.size(), 253 + 8);
}

TEST_F(RequestTest, K3QueryDeclarationAndK1) {
    card_.rSn = "SV20120303000001";
    const QString head =
        "44990100000123451"
        "SV20120303000001";
    builder_.buildDeclarationQuery();
    EXPECT_EQ(run_.outgoing, expectedFrame("K3" + head + "04" + sp(22) + sp(15) + sp(60) + sp(80) +
                                           sp(10) + "0" + sp(14)));
    EXPECT_EQ(run_.outgoing.size(), 255);

    card_.yhlx = "4";
    card_.ywlx = "12";
    builder_.buildDeclaration();
    const QString data = "0.00#0.00#0.00#0.00#0.00#0.00#0.00";
    EXPECT_EQ(data.size(), 34);
    EXPECT_EQ(run_.outgoing, expectedFrame("K3" + head + "04" + sp(22) + sp(15) + sp(60) + sp(80) +
                                           sp(10) + "34" + sp(13) + data));

    builder_.buildPayment();
    EXPECT_EQ(run_.outgoing, expectedFrame("K1" + head + " " + sp(22) + sp(15) + sp(60) + sp(80) +
                                           sp(10) + "0" + sp(14)));
    EXPECT_EQ(run_.outgoing.size(), 254);
}

TEST(Declaration, AmountsFollowUserAndBusinessType) {
    orv::CardData c;
    c.bqfse = 1;
    c.yshw = 2;
    c.ysfw = 3;
    struct Row {
        const char* u;
        const char* b;
        const char* data;
    };
    const Row rows[] = {
        {"1", "10", "0.00#0.00#1.00#0.00"},
        {"1", "11", "0.00#0.00#0.00"},
        {"1", "04", "0.00#0.00#0.00"},
        {"4", "12", "0.00#0.00#0.00#1.00#2.00#3.00#0.00"},
        {"4", "13", "0.00#0.00#0.00#2.00#3.00#0.00"},
        {"4", "10", "0.00#0.00#0.00#1.00#0.00"},
        {"4", "11", "0.00#0.00#0.00#0.00"},
        {"4", "04", "0.00#0.00#0.00#0.00"},
        {"4", "99", "0.00#0.00#0.00#0"},
        {"2", "10", "0.00#0.00#0.00"},
    };
    for (const Row& r : rows) {
        c.yhlx = r.u;
        c.ywlx = r.b;
        EXPECT_EQ(orv::declarationData(c), r.data) << r.u << "/" << r.b;
    }
}

TEST(Declaration, AmountTextsNeverUseExponentsOrSeparators) {
    EXPECT_EQ(orv::declarationAmount(0.125), "0.13");  // rounded to fen, half away from zero
    EXPECT_EQ(orv::declarationAmount(-0.004), "0.00");
    EXPECT_EQ(orv::declarationAmount(-1234.5), "-1234.50");
    EXPECT_EQ(orv::declarationAmount(99999999.99), "99999999.99");
    EXPECT_EQ(orv::declarationAmount(1e20), "100000000000000000000.00");
    EXPECT_EQ(orv::declarationAmount(std::nan("")), "0.00");
    EXPECT_EQ(orv::declarationAmount(HUGE_VAL), "0.00");
}

TEST(ReplyAccumulator, GathersASplitFrameUntilItsBodyIsComplete) {
    QByteArray frame = "QVNX" + QByteArray("\x00\x00\x00\x05", 4) + QByteArray(8, '\0') + "S2abc";
    ReplyAccumulator acc;
    EXPECT_EQ(acc.add(frame.left(2)), ReplyAccumulator::State::Incomplete);
    EXPECT_EQ(acc.add(frame.mid(2, 10)), ReplyAccumulator::State::Incomplete);
    EXPECT_EQ(acc.add(frame.mid(12, 7)), ReplyAccumulator::State::Incomplete);
    EXPECT_EQ(acc.add(frame.mid(19)), ReplyAccumulator::State::Complete);
    EXPECT_EQ(acc.bytes(), frame);
}

TEST(ReplyAccumulator, TakesOtherRepliesAsTheyArriveAndBoundsTheRest) {
    ReplyAccumulator plain;
    EXPECT_EQ(plain.add("HELLO\r\n"), ReplyAccumulator::State::Complete);

    ReplyAccumulator shortFrame;
    EXPECT_EQ(shortFrame.add("QVNX12"), ReplyAccumulator::State::Incomplete);
    EXPECT_EQ(shortFrame.finish(), ReplyAccumulator::State::Complete);  // the server closed

    ReplyAccumulator oversized;
    EXPECT_EQ(oversized.add("QVNX" + QByteArray("\x00\x20\x00\x00", 4) + QByteArray(8, ' ')),
              ReplyAccumulator::State::Refused);  // 2 MiB declared
    EXPECT_EQ(oversized.finish(), ReplyAccumulator::State::Refused);

    ReplyAccumulator flood;
    EXPECT_EQ(flood.add("QVNX" + QByteArray("\x00\x0F\xFF\xF0", 4) + QByteArray(8, ' ')),
              ReplyAccumulator::State::Incomplete);
    EXPECT_EQ(flood.add(QByteArray(orv::wire::kMaxReply, 'x')), ReplyAccumulator::State::Refused);
}

TEST(Reply, UnpackRewritesTheBinaryHeaderAsText) {
    QByteArray frame = "QVNX" + QByteArray("\x00\x00\x01\x0F", 4) +
                       QByteArray("\xFF\x01\x02\x03\x04\x05\x06\x07", 8) + "Q2";
    const orv::wire::Reply r = orv::wire::unpack(frame);
    EXPECT_EQ(r.bytes.left(18), QByteArray("QVNX    00000271Q2"));
    EXPECT_EQ(r.type(), "Q2");
    EXPECT_EQ(r.text(), "QVNX    00000271Q2");               // no binary left in the text
    EXPECT_EQ(orv::wire::unpack("QVNX12").bytes, "QVNX12");  // too short to hold a header
    EXPECT_EQ(orv::wire::unpack("QVNX12").type(), "");
}

TEST(Reply, FieldsAreCutByByteOffsetAndNumbersDefaultToZero) {
    QByteArray b(260, ' ');
    b.replace(70, 4, QByteArray("\xB1\xB1\xBE\xA9", 4));  // 北京 in GBK
    b.replace(220, 3, "74 ");
    b.replace(140, 5, "12.5x");
    const orv::wire::Reply r = orv::wire::unpack(b);
    EXPECT_EQ(r.trimmedField(70, 60), QStringLiteral("北京"));
    EXPECT_EQ(r.integerField(220, 15), 74);
    EXPECT_EQ(r.decimalField(140, 15), 0.0);  // not a number
    EXPECT_EQ(r.field(255, 10), "     ");     // only what exists
    EXPECT_EQ(r.field(400, 10), "");
}

// Regression: fields lost every blank around them (tabs, CR LF, full-width
// spaces), so such texts read as empty or as a bare "0".
TEST(Reply, FieldsAreTrimmedOfSpacesOnly) {
    const struct {
        QString text, trimmed;
    } rows[] = {
        {"  abc  ", "abc"},
        {" \t0\t ", "\t0\t"},
        {QStringLiteral("\u3000\u3000"), QStringLiteral("\u3000\u3000")},  // full-width
        {" \r\nA B\n ", "\r\nA B\n"},
        {"      ", ""},
    };
    for (const auto& row : rows) {
        QByteArray b(100, ' ');
        const QByteArray text = orv::toGbk(row.text);
        b.replace(20, text.size(), text);
        EXPECT_EQ(orv::wire::unpack(b).trimmedField(18, 60), row.trimmed) << row.text.toStdString();
    }
}

// Regression: "inf", "nan" and exponents were taken as numbers, so a tax
// amount could be infinite or NaN.
TEST(Reply, NumbersArePlainDecimalTextOnly) {
    const struct {
        QString text;
        double decimal;
        qint64 integer;
    } rows[] = {
        {"12.50", 12.5, 0},
        {"  -3  ", -3, -3},
        {"+7", 7, 7},
        {"0074", 74, 74},
        {".5", 0.5, 0},
        {"5.", 5, 0},
        {"999999999999999", 999999999999999.0, 999999999999999},
        {"inf", 0, 0},
        {"-inf", 0, 0},
        {"Infinity", 0, 0},
        {"nan", 0, 0},
        {"NaN", 0, 0},
        {"1e3", 0, 0},
        {"0x10", 0, 0},
        {"1.2.3", 0, 0},
        {"1,000", 0, 0},
        {".", 0, 0},
        {"-", 0, 0},
        {"+-1", 0, 0},
        {"1 2", 0, 0},
        {"\t74", 0, 0},
        {"74\r\n", 0, 0},
        {QStringLiteral("\uFF17\uFF14"), 0, 0},  // full-width digits
        {"", 0, 0},
    };
    for (const auto& row : rows) {
        QByteArray b(100, ' ');
        const QByteArray text = orv::toGbk(row.text);
        b.replace(73, text.size(), text);
        const orv::wire::Reply r = orv::wire::unpack(b);
        const double d = r.decimalField(73, 15);
        EXPECT_TRUE(std::isfinite(d)) << row.text.toStdString();
        EXPECT_EQ(d, row.decimal) << row.text.toStdString();
        EXPECT_EQ(r.integerField(73, 15), row.integer) << row.text.toStdString();
    }
}

TEST(LogForm, ShowsTheHeaderInHexAndTheRestAsText) {
    const QByteArray m =
        "QVNX" + QByteArray("\x00\x00\x00\x02\xAB\xCD\xEF\x01\x02\x03\x04\x05", 12) + "Q1";
    EXPECT_EQ(orv::wire::logForm(m), "QVNX00000002ABCDEF0102030405Q1");
}

}  // namespace
