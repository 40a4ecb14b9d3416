// The one parser of the user card's records: field positions and value
// forms for EF02, EF04 records, EF06/EF09 groups and their sub-records. The
// database, the grid, the log short forms and the reports all take fields
// from here.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace orv::card {

// "#0.00" of an amount in fen: 123456 -> "1234.56", -5 -> "-0.05".
QString amountText(qint64 fen);
// The same value as a number.
double amountValue(qint64 fen);

struct Ef02 {
    QString skjsl, nsrbm, yyqyrq, yyyxrq, yylx, yybb, fci;  // hex; dates as 8 digits
    QString dwmc;  // GBK name up to its first NUL, spaces trimmed
};
Ef02 parseEf02(const QString& hex);

struct Ef04 {
    QString hzbz, skkbh, sjqsrq, sjjzrq;  // dates "yyyy-mm-dd"
    qint32 zcfpfs = 0, tpfs = 0, fpfs = 0;
    QString szsm;
    std::array<qint64, 6> zcfpje{}, tpje{};  // fen
    qint64 zcfpzje = 0, tpzje = 0;
    QString ztz, mac, sign1, sign2;
};
Ef04 parseEf04Record(const QString& hex);
// The EF04 text split at "##"; no records for an empty text.
QList<Ef04> parseEf04(const QString& text);

struct InvoiceRoll {  // EF06 sub-record
    QString fpdm;
    qint32 fpqsh = 0, fpzzh = 0, zcfpfs = 0, tpfs = 0, fpfs = 0;
    qint64 zcfpzje = 0, tpzje = 0;
    QString kpqssj, kpjzsj;
};
InvoiceRoll parseInvoiceRoll(const QString& hex);

struct DailyRecord {  // EF09 sub-record
    QString kprq;
    qint32 zcfpfs = 0, tpfs = 0, fpfs = 0;
    QString szsm;
    std::array<qint64, 6> zcfpje{}, tpje{};
    QString sign1, sign2;
};
DailyRecord parseDailyRecord(const QString& hex);

// One EF06/EF09 record and its sub-records, as hex.
struct Group {
    QString head;      // the text before the first "|"
    QString skjbh;     // machine number: the first 16 characters
    QStringList subs;  // whole sub-records only
};
inline constexpr int kInvoiceRollChars = 74;
inline constexpr int kDailyRecordChars = 384;
inline constexpr int kMaxSubRecords = 200;

// The text split at "##" into groups; sub-records are taken `subChars` at a
// time after the first "|", at most `maxSubs`, a shorter remainder ignored.
QList<Group> splitGroups(const QString& text, int subChars, int maxSubs = kMaxSubRecords);

// Field access on a record's hex text by byte offset.
QString hexField(const QString& hex, int offset, int length);
// Big-endian two's complement of 2 or 4 bytes; 1 byte reads unsigned.
qint64 intField(const QString& hex, int offset, int width);
// A BCD date as "yyyy-mm-dd".
QString isoDateField(const QString& hex, int offset);

}  // namespace orv::card
