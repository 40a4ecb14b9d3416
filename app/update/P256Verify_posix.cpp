// P-256 verification with OpenSSL's libcrypto: the point becomes a
// SubjectPublicKeyInfo, the numbers a DER signature, and EVP checks them.
#include "update/P256Verify.h"

#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <vector>

namespace orv::p256 {

namespace {
// The DER SubjectPublicKeyInfo of a P-256 key up to its uncompressed point.
constexpr std::uint8_t kPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                    0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                    0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Sig = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>>;
using Ctx = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
}  // namespace

bool verify(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* r,
            const std::uint8_t* s, const std::uint8_t* message, std::size_t size) {
    std::vector<std::uint8_t> spki(kPrefix, kPrefix + sizeof kPrefix);
    spki.insert(spki.end(), x, x + 32);
    spki.insert(spki.end(), y, y + 32);
    const unsigned char* p = spki.data();
    const Key key(d2i_PUBKEY(nullptr, &p, static_cast<long>(spki.size())));
    if (!key) return false;

    Sig sig(ECDSA_SIG_new());
    BIGNUM* br = BN_bin2bn(r, 32, nullptr);
    BIGNUM* bs = BN_bin2bn(s, 32, nullptr);
    if (!sig || !br || !bs || ECDSA_SIG_set0(sig.get(), br, bs) != 1) {
        BN_free(br);
        BN_free(bs);
        return false;
    }
    unsigned char* der = nullptr;
    const int derSize = i2d_ECDSA_SIG(sig.get(), &der);
    if (derSize <= 0) return false;
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> derOwner(
        der, [](unsigned char* d) { OPENSSL_free(d); });

    const Ctx ctx(EVP_MD_CTX_new());
    return ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
           EVP_DigestVerify(ctx.get(), der, static_cast<std::size_t>(derSize), message, size) == 1;
}

}  // namespace orv::p256
