// The card's texts as a damaged card or reader could hand them over: any
// "hex" text with "##" and "|" where they fall. Each goes through the one
// record parser, the grid layouts of the four files, the log's short forms
// and the records database's writers.
//
// Input: flags, then EF02, EF04, EF06, EF09 and the monitoring text, each
// ended by a line break.
//   flags bit 0: the texts are UTF-8 (any character), else Latin-1
//   flags bits 1-2: besides the parser and the short forms, 1 a grid
//   layout, 2 the saves (SaveCBS, then SaveEf01), 3 both
//   flags bits 3-4: the layout: kind 1 to 4 (EF02, EF04, EF06, EF09)
// (The layouts and the saves cost the most; the fuzzer keeps inputs of
// every kind, and the cheap ones run many times faster.)
#include <QSqlQuery>
#include <QVariant>
#include <array>

#include "FuzzCheck.h"
#include "FuzzDb.h"
#include "FuzzInput.h"
#include "card/CardData.h"
#include "card/CardRecords.h"
#include "card/RecordsStore.h"
#include "fakes.h"
#include "grid/CardGrid.h"
#include "grid/GridModel.h"
#include "service/ShortForm.h"

namespace {

using namespace orv;

constexpr qsizetype kMostRecords = 255;  // record numbers are one byte

QString text(orvfuzz::FuzzInput& in, bool utf8) {
    const std::string_view b = in.until('\n');
    const auto n = static_cast<qsizetype>(b.size());
    return utf8 ? QString::fromUtf8(b.data(), n) : QString::fromLatin1(b.data(), n);
}

// Sub-records of every group, `cap` a group at most.
qsizetype subRecords(const QString& t, int chars, int cap) {
    qsizetype n = 0;
    for (const card::Group& g : card::splitGroups(t, chars, cap))
        n += g.subs.size();
    return n;
}

void parseAll(const CardData& c) {
    (void)card::parseEf02(c.ef02);
    for (const card::Group& g : card::splitGroups(c.ef06, card::kInvoiceRollChars)) {
        ORV_FUZZ_CHECK(g.subs.size() <= card::kMaxSubRecords);
        for (const QString& s : g.subs) {
            ORV_FUZZ_CHECK(s.size() == card::kInvoiceRollChars);
            (void)card::parseInvoiceRoll(s);
        }
    }
    for (const card::Group& g : card::splitGroups(c.ef09, card::kDailyRecordChars))
        for (const QString& s : g.subs)
            (void)card::parseDailyRecord(s);
    (void)shortFormEF02(c.ef02);
    (void)shortFormEF04(c.ef04);
    (void)shortFormEF06(c.ef06);
    (void)shortFormEF09(c.ef09);
}

void show(const CardData& c, int kind) {
    GridModel g;
    const int shown = ShowICInfo(g, kind, c);
    ORV_FUZZ_CHECK(shown == g.Rows());
    if (kind == 3) ORV_FUZZ_CHECK(shown == subRecords(c.ef06, card::kInvoiceRollChars, 300));
    if (kind == 4)
        ORV_FUZZ_CHECK(shown == subRecords(c.ef09, card::kDailyRecordChars, card::kMaxSubRecords));
    // The last row whole, as an export reads it.
    QString out;
    for (int col = 0; col <= g.Cols(); ++col)
        g.appendText(g.Rows(), col, out);
}

// Rows of operation `cbid` in ef02, ef04, ef06, ef09 and ef01. Prepared
// once: parsing the statement under the sanitizers cost more than the
// count.
std::array<qint64, 5> rowsOf(QSqlDatabase db, qint64 cbid) {
    static QSqlQuery q = [&] {
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("select (select count(*) from ef02 where cbid=:id), "
                           "(select count(*) from ef04 where cbid=:id), "
                           "(select count(*) from ef06 where cbid=:id), "
                           "(select count(*) from ef09 where cbid=:id), "
                           "(select count(*) from ef01 where cbid=:id)"));
        return query;
    }();
    q.bindValue(QStringLiteral(":id"), cbid);
    std::array<qint64, 5> n{-1, -1, -1, -1, -1};
    if (q.exec() && q.next())
        for (int i = 0; i < 5; ++i)
            n[i] = q.value(i).toLongLong();
    q.finish();  // no read left open across the next save
    return n;
}

void saveAll(orvfuzz::FuzzDb& db, CardData& c) {
    static const orvtest::FakeClock clock;
    RecordsStore store(db.db(), clock);
    QString error;
    ORV_FUZZ_CHECK(store.SaveCBS(c, 1, &error));
    ORV_FUZZ_CHECK(store.SaveEf01(c, &error));
    const std::array<qint64, 5> n = rowsOf(db.db(), c.rID);
    ORV_FUZZ_CHECK(n[0] == 1);
    ORV_FUZZ_CHECK(n[1] == card::parseEf04(c.ef04).size());
    ORV_FUZZ_CHECK(n[2] == subRecords(c.ef06, card::kInvoiceRollChars, card::kMaxSubRecords));
    ORV_FUZZ_CHECK(n[3] == subRecords(c.ef09, card::kDailyRecordChars, card::kMaxSubRecords));
    ORV_FUZZ_CHECK(n[4] == (c.ef01.isEmpty() ? 0 : c.ef01.split(QStringLiteral("##")).size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvfuzz::ensureQtApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static orvfuzz::FuzzDb db;
    orvfuzz::FuzzInput in(data, size);
    const uint8_t flags = in.byte();
    const bool utf8 = flags & 1;
    CardData c;
    c.ef02 = text(in, utf8);
    c.ef04 = text(in, utf8);
    c.ef06 = text(in, utf8);
    c.ef09 = text(in, utf8);
    c.ef01 = text(in, utf8);
    // The reader library hands over at most 255 records (or groups) a file,
    // their number being one byte; longer texts never reach the program,
    // and the fuzzer would spend its time on them.
    for (const QString* t : {&c.ef04, &c.ef06, &c.ef09})
        if (t->split(QStringLiteral("##")).size() > kMostRecords) return -1;
    parseAll(c);
    const int more = (flags >> 1) & 3;
    if (more & 1) show(c, 1 + ((flags >> 3) & 3));
    if (more & 2) {
        saveAll(db, c);
        db.afterRun(64);
    }
    return 0;
}
