#include "Signer.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <QFile>

namespace updsim {

struct Signer::Key {
    EVP_PKEY* pkey = nullptr;
    ~Key() { EVP_PKEY_free(pkey); }
};

Signer::Signer(std::unique_ptr<Key> key) : key_(std::move(key)) {}
Signer::~Signer() = default;

std::unique_ptr<Signer> Signer::fromPemFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray pem = f.readAll();
    BIO* bio = BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    if (!bio) return nullptr;
    auto key = std::make_unique<Key>();
    key->pkey = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    if (!key->pkey) return nullptr;
    return std::unique_ptr<Signer>(new Signer(std::move(key)));
}

QByteArray Signer::sign(const QByteArray& data) const {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx) return {};
    QByteArray der;
    std::size_t size = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
    const auto n = static_cast<std::size_t>(data.size());
    if (EVP_DigestSignInit(ctx, nullptr, EVP_sha256(), nullptr, key_->pkey) == 1 &&
        EVP_DigestSign(ctx, nullptr, &size, in, n) == 1) {
        der.resize(static_cast<qsizetype>(size));
        if (EVP_DigestSign(ctx, reinterpret_cast<unsigned char*>(der.data()), &size, in, n) == 1)
            der.resize(static_cast<qsizetype>(size));
        else
            der.clear();
    }
    EVP_MD_CTX_free(ctx);
    return der.isEmpty() ? QByteArray() : der.toBase64() + '\n';
}

}  // namespace updsim
