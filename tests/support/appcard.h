// Card data for the main program's tests: what the reader library would have
// read from a built virtual card, and the library's CRC32 in the form the
// message code takes.
#pragma once

#include <QByteArray>

#include "builder.h"
#include "card/CardData.h"
#include "cardtext.h"
#include "zelreader.h"

namespace orvtest {

inline orv::CardData cardDataFrom(const cardsim::CardSpec& spec) {
    const cardsim::Card card = cardsim::build(spec);
    orv::CardData c;
    c.ef02 = QString::fromStdString(ef02Text(card));
    c.ef04 = QString::fromStdString(ef04Text(card));
    c.ef06 = QString::fromStdString(groupsText(card, 0xEF06));
    c.ef09 = QString::fromStdString(groupsText(card, 0xEF09));
    return c;
}

inline qint32 libraryCrc(const QByteArray& d, int first, int last) {
    return CRC32(reinterpret_cast<const uint8_t*>(d.constData()) + first, last - first + 1);
}

}  // namespace orvtest
