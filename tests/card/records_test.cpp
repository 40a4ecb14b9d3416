// Every field of every card record layout, with boundary values.
#include <gtest/gtest.h>
#include <limits>

#include "base/Text.h"
#include "card/CardData.h"
#include "card/CardRecords.h"
#include "card/Hex.h"

namespace {

using namespace orv::card;

// Writes `hex` at byte `offset` of a record of `size` bytes filled with `fill`.
struct Record {
    QString hex;
    Record(int size, const char* fill = "00") { hex = QString(fill).repeated(size); }
    Record& at(int offset, const QString& bytes) {
        hex.replace(2 * offset, bytes.size(), bytes);
        return *this;
    }
};

TEST(Amounts, AreFenFormattedWithTwoDecimals) {
    EXPECT_EQ(amountText(123456), "1234.56");
    EXPECT_EQ(amountText(5), "0.05");
    EXPECT_EQ(amountText(0), "0.00");
    EXPECT_EQ(amountText(-5), "-0.05");
    EXPECT_EQ(amountText(-2147483648LL), "-21474836.48");
    EXPECT_EQ(amountText(99), "0.99");
    EXPECT_EQ(amountText(100), "1.00");
    EXPECT_EQ(amountText(-100), "-1.00");
    EXPECT_EQ(amountText(std::numeric_limits<qint64>::min()), "-92233720368547758.08");
    EXPECT_EQ(amountText(std::numeric_limits<qint64>::max()), "92233720368547758.07");
    // The number is the one its text reads as, bit for bit.
    for (qint64 fen :
         {qint64{123456}, qint64{1}, qint64{-1}, qint64{10}, qint64{-2147483648LL},
          qint64{2147483647}, (qint64{1} << 53) - 1, -(qint64{1} << 53) + 1, qint64{1} << 53,
          std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()})
        EXPECT_EQ(amountValue(fen), amountText(fen).toDouble()) << fen;
    for (qint64 fen = -100000; fen <= 100000; fen += 7)
        ASSERT_EQ(amountValue(fen), amountText(fen).toDouble()) << fen;
}

TEST(Ef02, FieldsAndGbkNameOfBothSizes) {
    const QString name = QStringLiteral("北京示例商贸");
    const QString nameHex = QString::fromLatin1(orv::toGbk(name).toHex().toUpper());
    Record r(221, "20");
    r.at(0, "AA").at(1, "01").at(2, "1101082012345678").at(10, "20110101").at(14, "20151231");
    r.at(18, "02").at(19, "10").at(20, "FF").at(21, nameHex);
    const Ef02 e = parseEf02(r.hex);
    EXPECT_EQ(e.skjsl, "01");
    EXPECT_EQ(e.nsrbm, "1101082012345678");
    EXPECT_EQ(e.yyqyrq, "20110101");
    EXPECT_EQ(e.yyyxrq, "20151231");
    EXPECT_EQ(e.yylx, "02");
    EXPECT_EQ(e.yybb, "10");
    EXPECT_EQ(e.fci, "FF");
    EXPECT_EQ(e.dwmc, name);  // trailing spaces trimmed

    Record shortCard(61, "20");
    shortCard.at(21, nameHex);
    EXPECT_EQ(parseEf02(shortCard.hex).dwmc, name);
    EXPECT_EQ(parseEf02("").dwmc, "");
}

// Regression: the name was trimmed of every blank, and a name padded with
// zero bytes and then spaces kept its NULs.
TEST(Ef02, NameEndsAtItsFirstNulAndLosesOnlySpaces) {
    auto nameOf = [](const QString& name, const char* after) {
        Record r(221, "20");
        const QString hex = QString::fromLatin1(orv::toGbk(name).toHex().toUpper()) + after;
        r.at(21, hex);
        return parseEf02(r.hex).dwmc;
    };
    EXPECT_EQ(nameOf(QStringLiteral("北京示例"), "0000"), QStringLiteral("北京示例"));
    EXPECT_EQ(nameOf(QStringLiteral("北京"),
                     "00"
                     "4142"),
              QStringLiteral("北京"));
    EXPECT_EQ(nameOf(QStringLiteral("  北京"), ""), QStringLiteral("北京"));
    EXPECT_EQ(nameOf(QStringLiteral("\u3000北京\t"), ""), QStringLiteral("\u3000北京\t"));
    EXPECT_EQ(nameOf(QString(), "00"), QString());
}

TEST(Ef04, EveryFieldAtItsOffset) {
    Record r(220);
    r.at(0, "01").at(1, "7701000000000001").at(9, "20120301").at(13, "20120331");
    r.at(17, "7FFFFFFF").at(21, "FFFF").at(23, "0002").at(25, "010203040506");
    r.at(31, "0001E240").at(51, "00000005");  // zcfpje1 and zcfpje6
    r.at(55, "FFFFFFFF").at(75, "80000000");  // tpje1 and tpje6
    r.at(79, "00000064").at(83, "00000001").at(87, "5A").at(88, "DEADBEEF");
    r.at(92, QString("A1").repeated(64)).at(156, QString("B2").repeated(64));
    const Ef04 e = parseEf04Record(r.hex);
    EXPECT_EQ(e.hzbz, "01");
    EXPECT_EQ(e.skkbh, "7701000000000001");
    EXPECT_EQ(e.sjqsrq, "2012-03-01");
    EXPECT_EQ(e.sjjzrq, "2012-03-31");
    EXPECT_EQ(e.zcfpfs, 2147483647);
    EXPECT_EQ(e.tpfs, -1);
    EXPECT_EQ(e.fpfs, 2);
    EXPECT_EQ(e.szsm, "010203040506");
    EXPECT_EQ(amountText(e.zcfpje[0]), "1234.56");
    EXPECT_EQ(amountText(e.zcfpje[5]), "0.05");
    EXPECT_EQ(amountText(e.tpje[0]), "-0.01");
    EXPECT_EQ(amountText(e.tpje[5]), "-21474836.48");
    EXPECT_EQ(amountText(e.zcfpzje), "1.00");
    EXPECT_EQ(amountText(e.tpzje), "0.01");
    EXPECT_EQ(e.ztz, "5A");
    EXPECT_EQ(e.mac, "DEADBEEF");
    EXPECT_EQ(e.sign1, QString("A1").repeated(64));
    EXPECT_EQ(e.sign2, QString("B2").repeated(64));

    EXPECT_TRUE(parseEf04("").isEmpty());
    EXPECT_EQ(parseEf04(r.hex + "##" + r.hex + "##" + r.hex).size(), 3);
}

TEST(InvoiceRolls, EveryFieldAtItsOffset) {
    Record r(37);
    r.at(0, "11100112012000000001").at(10, "000186A0").at(14, "00018703").at(18, "FF");
    r.at(19, "01").at(20, "02").at(21, "0001E240").at(25, "FFFFFFFB");
    r.at(29, "20120301").at(33, "20120302");
    const InvoiceRoll i = parseInvoiceRoll(r.hex);
    EXPECT_EQ(i.fpdm, "11100112012000000001");
    EXPECT_EQ(i.fpqsh, 100000);
    EXPECT_EQ(i.fpzzh, 100099);
    EXPECT_EQ(i.zcfpfs, 255);  // one byte reads unsigned
    EXPECT_EQ(i.tpfs, 1);
    EXPECT_EQ(i.fpfs, 2);
    EXPECT_EQ(amountText(i.zcfpzje), "1234.56");
    EXPECT_EQ(amountText(i.tpzje), "-0.05");
    EXPECT_EQ(i.kpqssj, "2012-03-01");
    EXPECT_EQ(i.kpjzsj, "2012-03-02");
}

TEST(DailyRecords, EveryFieldAtItsOffset) {
    Record r(192);
    r.at(0, "20110828").at(4, "0028").at(6, "FFFF").at(8, "0001").at(10, "A1A2A3A4A5A6");
    r.at(16, "00000064").at(36, "00000001").at(40, "00000002").at(60, "FFFFFFFF");
    r.at(64, QString("C3").repeated(64)).at(128, QString("D4").repeated(64));
    const DailyRecord d = parseDailyRecord(r.hex);
    EXPECT_EQ(d.kprq, "2011-08-28");
    EXPECT_EQ(d.zcfpfs, 40);
    EXPECT_EQ(d.tpfs, -1);
    EXPECT_EQ(d.fpfs, 1);
    EXPECT_EQ(d.szsm, "A1A2A3A4A5A6");
    EXPECT_EQ(amountText(d.zcfpje[0]), "1.00");
    EXPECT_EQ(amountText(d.zcfpje[5]), "0.01");
    EXPECT_EQ(amountText(d.tpje[0]), "0.02");
    EXPECT_EQ(amountText(d.tpje[5]), "-0.01");
    EXPECT_EQ(d.sign1, QString("C3").repeated(64));
    EXPECT_EQ(d.sign2, QString("D4").repeated(64));
}

// A damaged record's fields read as the lenient hex decoder reads them.
TEST(IntFields, ReadDamagedTextAsTheHexDecoder) {
    auto decoded = [](const QString& hex, int offset, int width) {
        quint32 v = 0;
        for (char c : orv::HexToBytes(hexField(hex, offset, width)))
            v = (v << 8) | static_cast<uint8_t>(c);
        return v;
    };
    EXPECT_EQ(intField("00FFFFFFFE", 1, 4), -2);
    EXPECT_EQ(intField("8000", 0, 2), -32768);
    EXPECT_EQ(intField("ff", 0, 1), 255);
    EXPECT_EQ(intField("0001020", 1, 4), 0x0102);  // cut short: two whole bytes
    EXPECT_EQ(intField("0102", 5, 4), 0);          // past the end
    for (const QString& hex :
         {QStringLiteral("12G4567z"), QStringLiteral("1\u00e9345678"),
          QStringLiteral("12\u4e2d45678"), QStringLiteral("12 4|#67"), QStringLiteral("abcdef0")})
        EXPECT_EQ(static_cast<quint32>(intField(hex, 0, 4)), decoded(hex, 0, 4))
            << hex.toStdString();
}

TEST(Groups, SplitIntoWholeSubRecordsOnly) {
    const QString head = "4990100000123451" + QString("00").repeated(8) + "0601";
    const QString roll = QString("1").repeated(74);
    const QList<Group> g =
        splitGroups(head + "|" + roll + "X##" + head + "|##" + head + "|" + roll + roll, 74);
    ASSERT_EQ(g.size(), 3);
    EXPECT_EQ(g[0].skjbh, "4990100000123451");
    EXPECT_EQ(g[0].head, head);
    EXPECT_EQ(g[0].subs, QStringList{roll});  // 75 characters: one record
    EXPECT_TRUE(g[1].subs.isEmpty());
    EXPECT_EQ(g[2].subs.size(), 2);
    EXPECT_TRUE(splitGroups("", 74).isEmpty());
    EXPECT_EQ(splitGroups(head + "|" + roll.repeated(250), 74).first().subs.size(), 200);
}

TEST(CardData, ClearResetsEverythingAndJoinS1BuildsTheReport) {
    orv::CardData c;
    c.ef02 = "02";
    c.ef04 = "04";
    c.ef06 = "06";
    c.ef09 = "09";
    c.rID = 7;
    c.nsje = 1.5;
    c.ef06Counts[3] = 9;
    c.joinS1(1);
    EXPECT_EQ(c.s1, "02");
    c.joinS1(2);
    EXPECT_EQ(c.s1, "04#06#09");
    c.Clear();
    EXPECT_EQ(c.rID, -1);
    EXPECT_TRUE(c.ef04.isEmpty() && c.s1.isEmpty());
    EXPECT_EQ(c.nsje, 0);
    EXPECT_EQ(c.ef06Counts, QByteArray(256, '\0'));
    EXPECT_EQ(c.ef09Counts.size(), 256);
}

}  // namespace
