// Independent readings of a card record's bytes, for tests that check what
// the program shows against what the card builder wrote (never through the
// program's own parser).
#pragma once

#include <QString>

#include "card.h"
#include "orv/hex.h"

namespace orvtest {

inline QString hexOf(const cardsim::Bytes& b, std::size_t off, std::size_t len) {
    return QString::fromStdString(orv::hex::encode(b.data() + off, len));
}

// A BCD date as "yyyy-mm-dd".
inline QString dateOf(const cardsim::Bytes& b, std::size_t off) {
    const QString d = hexOf(b, off, 4);
    return d.left(4) + "-" + d.mid(4, 2) + "-" + d.mid(6, 2);
}

// Big-endian two's complement of 2 or 4 bytes, unsigned for 1.
inline qint64 intOf(const cardsim::Bytes& b, std::size_t off, int width) {
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = v << 8 | b[off + static_cast<std::size_t>(i)];
    if (width == 2) return static_cast<qint16>(v);
    if (width == 4) return static_cast<qint32>(v);
    return v;
}

inline QString numOf(const cardsim::Bytes& b, std::size_t off, int width) {
    return QString::number(intOf(b, off, width));
}

// A 4-byte amount in fen, as yuan with two decimals.
inline QString moneyOf(const cardsim::Bytes& b, std::size_t off) {
    return QString::asprintf("%.2f", static_cast<double>(intOf(b, off, 4)) / 100.0);
}

}  // namespace orvtest
