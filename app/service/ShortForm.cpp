#include "service/ShortForm.h"

#include <QStringList>

#include "card/CardRecords.h"

namespace orv {

namespace {
// One sub-record more than the grid shows, so that a cut-off tail is seen.
constexpr int kInvoiceRollsLooked = 301;
constexpr int kDailyRecordsLooked = 201;

// Per group: the machine number, then `piece` of the first sub-record and,
// when there are two or more, of the last one.
QString groupsForm(const QString& text, int subChars, int maxSubs, int from, int length) {
    QStringList parts;
    for (const card::Group& g : card::splitGroups(text, subChars, maxSubs)) {
        QString p = g.skjbh;
        if (!g.subs.isEmpty()) p += g.subs.first().mid(from, length);
        if (g.subs.size() >= 2) p += g.subs.last().mid(from, length);
        parts << p;
    }
    return parts.join(QStringLiteral("##"));
}
}  // namespace

QString shortFormEF02(const QString& ef02) {
    const card::Ef02 e = card::parseEf02(ef02);
    return e.nsrbm + e.dwmc;
}

QString shortFormEF04(const QString& ef04) {
    if (ef04.isEmpty()) return {};
    QStringList parts;
    for (const QString& record : ef04.split(QStringLiteral("##")))
        parts << record.left(50);
    return parts.join(QStringLiteral("##"));
}

QString shortFormEF06(const QString& ef06) {
    // Characters 59-74 of an invoice roll: its first and last invoice dates.
    return groupsForm(ef06, card::kInvoiceRollChars, kInvoiceRollsLooked, 58, 16);
}

QString shortFormEF09(const QString& ef09) {
    return groupsForm(ef09, card::kDailyRecordChars, kDailyRecordsLooked, 0, 8);
}

}  // namespace orv
