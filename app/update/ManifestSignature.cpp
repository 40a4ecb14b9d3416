#include "update/ManifestSignature.h"

#include "update/P256Verify.h"

namespace orv {

namespace {

// The DER SubjectPublicKeyInfo of a P-256 key (id-ecPublicKey, prime256v1)
// up to its uncompressed point.
const QByteArray kKeyPrefix = QByteArray::fromHex(
    "3059301306072a8648ce3d020106082a8648ce3d030107034200"
    "04");

// A signature file holds one DER signature (at most 72 bytes) in base64;
// anything much longer is not one.
constexpr qsizetype kLongestText = 1024;

// A DER INTEGER at `pos`: positive, minimally encoded, at most 32 bytes of
// value; left-padded to 32 bytes.
std::optional<QByteArray> derInteger(const QByteArray& der, qsizetype& pos) {
    if (pos + 2 > der.size() || der[pos] != 0x02) return std::nullopt;
    const qsizetype len = static_cast<unsigned char>(der[pos + 1]);
    pos += 2;
    if (len == 0 || len > 33 || pos + len > der.size()) return std::nullopt;
    QByteArray value = der.mid(pos, len);
    pos += len;
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(value[i]); };
    if (at(0) & 0x80) return std::nullopt;  // negative
    if (at(0) == 0) {
        // A leading zero only in front of a byte whose top bit is set.
        if (len == 1 || !(at(1) & 0x80)) return std::nullopt;
        value.remove(0, 1);
    }
    if (value.size() > 32) return std::nullopt;
    return QByteArray(32 - value.size(), '\0') + value;
}

}  // namespace

std::optional<P256Key> parseP256Key(const QByteArray& base64) {
    const auto decoded =
        QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != kKeyPrefix.size() + 64 ||
        !decoded.decoded.startsWith(kKeyPrefix))
        return std::nullopt;
    const QByteArray point = decoded.decoded.mid(kKeyPrefix.size());
    return P256Key{point.left(32), point.mid(32)};
}

std::optional<P256Signature> parseSignatureText(const QByteArray& text) {
    if (text.size() > kLongestText) return std::nullopt;
    QByteArray base64;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') base64 += c;
    const auto decoded =
        QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (base64.isEmpty() || !decoded) return std::nullopt;
    const QByteArray& der = decoded.decoded;
    // SEQUENCE { INTEGER r, INTEGER s }, short-form length, nothing after.
    if (der.size() < 8 || der[0] != 0x30 || static_cast<unsigned char>(der[1]) != der.size() - 2)
        return std::nullopt;
    qsizetype pos = 2;
    const auto r = derInteger(der, pos);
    if (!r) return std::nullopt;
    const auto s = derInteger(der, pos);
    if (!s || pos != der.size()) return std::nullopt;
    return P256Signature{*r, *s};
}

QUrl signatureUrl(const QString& manifestUrl) {
    QUrl url(manifestUrl);
    url.setPath(url.path(QUrl::FullyEncoded) + QStringLiteral(".sig"), QUrl::TolerantMode);
    return url;
}

QString signatureProblem(const QByteArray& manifest, const QByteArray& signatureText,
                         const QByteArray& key) {
    const auto k = parseP256Key(key);
    if (!k) return QStringLiteral("the program's update key is not a P-256 public key");
    const auto sig = parseSignatureText(signatureText);
    if (!sig) return QStringLiteral("the manifest's signature is not a base64 DER ECDSA signature");
    const auto bytes = [](const QByteArray& b) {
        return reinterpret_cast<const std::uint8_t*>(b.constData());
    };
    if (!p256::verify(bytes(k->x), bytes(k->y), bytes(sig->r), bytes(sig->s), bytes(manifest),
                      static_cast<std::size_t>(manifest.size())))
        return QStringLiteral("the manifest's signature does not verify");
    return {};
}

}  // namespace orv
