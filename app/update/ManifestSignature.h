// The manifest's signature: an ECDSA P-256 signature over SHA-256 of the
// manifest's bytes, DER-encoded, then base64, served at the manifest's
// address with ".sig" appended. The key is a P-256 public key as a DER
// SubjectPublicKeyInfo in base64 (what "openssl pkey -pubout -outform DER"
// writes, base64-encoded). The parsing is plain code; the verification
// itself is the platform's crypto (P256Verify.h).
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace orv {

// A signature's two numbers, each 32 bytes big-endian.
struct P256Signature {
    QByteArray r, s;
};

// The public point of a base64 SubjectPublicKeyInfo of a P-256 key: X and
// Y, 32 bytes each; nullopt for anything else (another curve, a compressed
// point, trailing bytes).
struct P256Key {
    QByteArray x, y;
};
std::optional<P256Key> parseP256Key(const QByteArray& base64);

// The signature file's text: base64 (ASCII blanks and line breaks anywhere
// ignored) of a strict DER ECDSA-Sig-Value whose numbers fit 32 bytes.
std::optional<P256Signature> parseSignatureText(const QByteArray& text);

// Where the manifest at `manifestUrl` has its signature: ".sig" appended to
// its path (a query stays where it is).
QUrl signatureUrl(const QString& manifestUrl);

// "" when `signatureText` is a valid signature of `manifest` under `key`
// (base64 SubjectPublicKeyInfo), else why not.
QString signatureProblem(const QByteArray& manifest, const QByteArray& signatureText,
                         const QByteArray& key);

}  // namespace orv
