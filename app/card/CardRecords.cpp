#include "card/CardRecords.h"

#include "base/Text.h"
#include "card/Hex.h"
#include "orv/hex.h"

namespace orv::card {

// Written back to front into a buffer: every card row has a dozen amounts,
// and formatting with arg() took a fifth of a card's showing and saving.
QString amountText(qint64 fen) {
    const bool negative = fen < 0;
    quint64 a = negative ? 0 - static_cast<quint64>(fen) : static_cast<quint64>(fen);
    char buf[24];
    char* p = buf + sizeof buf;
    for (int digits = 0; digits < 3 || a > 0; ++digits) {
        if (digits == 2) *--p = '.';
        *--p = static_cast<char>('0' + a % 10);
        a /= 10;
    }
    if (negative) *--p = '-';
    return QString::fromLatin1(p, buf + sizeof buf - p);
}

double amountValue(qint64 fen) {
    // Division rounds once, to the double nearest fen / 100: the number its
    // text reads as. Past 2^53 fen is not exact, so the text decides.
    constexpr qint64 kExact = qint64{1} << 53;
    if (fen > -kExact && fen < kExact) return static_cast<double>(fen) / 100.0;
    return amountText(fen).toDouble();
}

QString hexField(const QString& hex, int offset, int length) {
    return hex.mid(2 * offset, 2 * length);
}

// Decoded in place, as HexToBytes would (a pair that is not hex reads 0, a
// field cut short has fewer bytes): a dozen of these a record, and the
// copies on the way took most of the parsing.
qint64 intField(const QString& hex, int offset, int width) {
    const QStringView digits = QStringView(hex).mid(2 * qsizetype{offset}, 2 * qsizetype{width});
    const auto digitOf = [](QChar c) {
        return c.unicode() > 0x7F ? -1 : orv::hex::digitValue(static_cast<char>(c.unicode()));
    };
    quint32 v = 0;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) {
        const int hi = digitOf(digits[i]);
        const int lo = digitOf(digits[i + 1]);
        v = (v << 8) | (hi < 0 || lo < 0 ? 0U : static_cast<quint32>(hi * 16 + lo));
    }
    if (width == 2) return static_cast<qint16>(v);
    if (width == 4) return static_cast<qint32>(v);
    return v;
}

QString isoDateField(const QString& hex, int offset) {
    const QString d = hexField(hex, offset, 4);
    if (d.size() < 8) return d;
    return d.left(4) + QLatin1Char('-') + d.mid(4, 2) + QLatin1Char('-') + d.mid(6, 2);
}

namespace {
void amounts(const QString& hex, int offset, std::array<qint64, 6>& out) {
    for (int k = 0; k < 6; ++k)
        out[k] = intField(hex, offset + 4 * k, 4);
}
}  // namespace

Ef02 parseEf02(const QString& hex) {
    Ef02 e;
    e.skjsl = hexField(hex, 1, 1);
    e.nsrbm = hexField(hex, 2, 8);
    e.yyqyrq = hexField(hex, 10, 4);
    e.yyyxrq = hexField(hex, 14, 4);
    e.yylx = hexField(hex, 18, 1);
    e.yybb = hexField(hex, 19, 1);
    e.fci = hexField(hex, 20, 1);
    // The name ends at its first NUL (a zero-padded name may carry spaces
    // after the zeros); what is left is trimmed of the padding spaces only.
    QByteArray name = HexToBytes(hex.mid(42));
    const qsizetype nul = name.indexOf('\0');
    if (nul >= 0) name.truncate(nul);
    e.dwmc = trimSpaces(fromGbk(name));
    return e;
}

Ef04 parseEf04Record(const QString& hex) {
    Ef04 e;
    e.hzbz = hexField(hex, 0, 1);
    e.skkbh = hexField(hex, 1, 8);
    e.sjqsrq = isoDateField(hex, 9);
    e.sjjzrq = isoDateField(hex, 13);
    e.zcfpfs = static_cast<qint32>(intField(hex, 17, 4));
    e.tpfs = static_cast<qint32>(intField(hex, 21, 2));
    e.fpfs = static_cast<qint32>(intField(hex, 23, 2));
    e.szsm = hexField(hex, 25, 6);
    amounts(hex, 31, e.zcfpje);
    amounts(hex, 55, e.tpje);
    e.zcfpzje = intField(hex, 79, 4);
    e.tpzje = intField(hex, 83, 4);
    e.ztz = hexField(hex, 87, 1);
    e.mac = hexField(hex, 88, 4);
    e.sign1 = hexField(hex, 92, 64);
    e.sign2 = hexField(hex, 156, 64);
    return e;
}

QList<Ef04> parseEf04(const QString& text) {
    QList<Ef04> records;
    if (text.isEmpty()) return records;
    for (const QString& piece : text.split(QStringLiteral("##")))
        records << parseEf04Record(piece);
    return records;
}

InvoiceRoll parseInvoiceRoll(const QString& hex) {
    InvoiceRoll r;
    r.fpdm = hexField(hex, 0, 10);
    r.fpqsh = static_cast<qint32>(intField(hex, 10, 4));
    r.fpzzh = static_cast<qint32>(intField(hex, 14, 4));
    r.zcfpfs = static_cast<qint32>(intField(hex, 18, 1));
    r.tpfs = static_cast<qint32>(intField(hex, 19, 1));
    r.fpfs = static_cast<qint32>(intField(hex, 20, 1));
    r.zcfpzje = intField(hex, 21, 4);
    r.tpzje = intField(hex, 25, 4);
    r.kpqssj = isoDateField(hex, 29);
    r.kpjzsj = isoDateField(hex, 33);
    return r;
}

DailyRecord parseDailyRecord(const QString& hex) {
    DailyRecord d;
    d.kprq = isoDateField(hex, 0);
    d.zcfpfs = static_cast<qint32>(intField(hex, 4, 2));
    d.tpfs = static_cast<qint32>(intField(hex, 6, 2));
    d.fpfs = static_cast<qint32>(intField(hex, 8, 2));
    d.szsm = hexField(hex, 10, 6);
    amounts(hex, 16, d.zcfpje);
    amounts(hex, 40, d.tpje);
    d.sign1 = hexField(hex, 64, 64);
    d.sign2 = hexField(hex, 128, 64);
    return d;
}

QList<Group> splitGroups(const QString& text, int subChars, int maxSubs) {
    QList<Group> groups;
    if (text.isEmpty()) return groups;
    for (const QString& piece : text.split(QStringLiteral("##"))) {
        Group g;
        const qsizetype bar = piece.indexOf(QLatin1Char('|'));
        g.head = bar < 0 ? piece : piece.left(bar);
        g.skjbh = piece.left(16);
        if (bar >= 0) {
            const QString subs = piece.mid(bar + 1);
            for (qsizetype at = 0; at + subChars <= subs.size() && g.subs.size() < maxSubs;
                 at += subChars)
                g.subs << subs.mid(at, subChars);
        }
        groups << g;
    }
    return groups;
}

}  // namespace orv::card
