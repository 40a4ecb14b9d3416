#include "card/Hex.h"

#include "orv/hex.h"

namespace orv {

QByteArray HexToBytes(const QString& text) {
    const QByteArray latin = text.toLatin1();
    const auto bytes = hex::decodeLenient(
        std::string_view(latin.constData(), static_cast<std::size_t>(latin.size())));
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

QString BytesToHex(const QByteArray& bytes) {
    return QString::fromLatin1(hex::encode(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size())));
}

}  // namespace orv
