// HexToBytes and BytesToHex for the whole program (over orv/hex.h).
#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

// Half the text length (rounded down) bytes; a pair that is not hex gives 0.
QByteArray HexToBytes(const QString& text);
// Two upper-case hex digits a byte.
QString BytesToHex(const QByteArray& bytes);

}  // namespace orv
