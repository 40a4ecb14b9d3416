// Signs what the test update server serves, as scripts/sign-manifest does:
// base64 of the DER ECDSA signature over SHA-256, with a PEM private key.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace updsim {

class Signer {
public:
    // Null when the file holds no private key that can be read.
    static std::unique_ptr<Signer> fromPemFile(const QString& path);
    ~Signer();
    // The signature text followed by a line break; "" on failure.
    QByteArray sign(const QByteArray& data) const;

private:
    struct Key;
    explicit Signer(std::unique_ptr<Key> key);
    std::unique_ptr<Key> key_;
};

}  // namespace updsim
