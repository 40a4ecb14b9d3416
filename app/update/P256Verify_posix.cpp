// P-256 verification with OpenSSL's libcrypto: the point becomes a
// SubjectPublicKeyInfo, the numbers a DER signature, and EVP checks them.
// libcrypto is opened on the first check rather than linked: it is a large
// library, and the program would otherwise load and relocate it before its
// window could first paint, for a check that comes later if at all.
#include "update/P256Verify.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <QLibrary>
#include <type_traits>
#include <vector>

namespace orv::p256 {

namespace {
// The DER SubjectPublicKeyInfo of a P-256 key up to its uncompressed point.
constexpr std::uint8_t kPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                                    0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                    0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

struct Crypto {
    decltype(&d2i_PUBKEY) d2iPubkey = nullptr;
    decltype(&EVP_PKEY_free) pkeyFree = nullptr;
    decltype(&EVP_MD_CTX_new) ctxNew = nullptr;
    decltype(&EVP_MD_CTX_free) ctxFree = nullptr;
    decltype(&EVP_sha256) sha256 = nullptr;
    decltype(&EVP_DigestVerifyInit) verifyInit = nullptr;
    decltype(&EVP_DigestVerify) verify = nullptr;
};

// The library's functions, or nullptr when it cannot be opened: a check
// that cannot be made is a signature refused.
const Crypto* crypto() {
    static const Crypto* const loaded = []() -> const Crypto* {
        static QLibrary lib(QStringLiteral("crypto"), 3);
        if (!lib.load()) return nullptr;
        static Crypto c;
        const auto get = [](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(lib.resolve(name));
            return fn != nullptr;
        };
        const bool all = get(c.d2iPubkey, "d2i_PUBKEY") && get(c.pkeyFree, "EVP_PKEY_free") &&
                         get(c.ctxNew, "EVP_MD_CTX_new") && get(c.ctxFree, "EVP_MD_CTX_free") &&
                         get(c.sha256, "EVP_sha256") && get(c.verifyInit, "EVP_DigestVerifyInit") &&
                         get(c.verify, "EVP_DigestVerify");
        return all ? &c : nullptr;
    }();
    return loaded;
}

// A DER INTEGER of a 32-byte big-endian unsigned number: minimal, with a
// zero byte in front when the top bit is set.
void appendInteger(std::vector<std::uint8_t>& der, const std::uint8_t* n) {
    int skip = 0;
    while (skip < 31 && n[skip] == 0)
        ++skip;
    const bool pad = n[skip] & 0x80;
    der.push_back(0x02);
    der.push_back(static_cast<std::uint8_t>(32 - skip + (pad ? 1 : 0)));
    if (pad) der.push_back(0);
    der.insert(der.end(), n + skip, n + 32);
}
}  // namespace

bool verify(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* r,
            const std::uint8_t* s, const std::uint8_t* message, std::size_t size) {
    const Crypto* c = crypto();
    if (!c) return false;
    std::vector<std::uint8_t> spki(kPrefix, kPrefix + sizeof kPrefix);
    spki.insert(spki.end(), x, x + 32);
    spki.insert(spki.end(), y, y + 32);
    const unsigned char* p = spki.data();
    EVP_PKEY* key = c->d2iPubkey(nullptr, &p, static_cast<long>(spki.size()));
    if (!key) return false;

    // SEQUENCE { INTEGER r, INTEGER s }: at most 70 bytes, a short length.
    std::vector<std::uint8_t> der{0x30, 0};
    appendInteger(der, r);
    appendInteger(der, s);
    der[1] = static_cast<std::uint8_t>(der.size() - 2);

    EVP_MD_CTX* ctx = c->ctxNew();
    const bool ok = ctx && c->verifyInit(ctx, nullptr, c->sha256(), nullptr, key) == 1 &&
                    c->verify(ctx, der.data(), der.size(), message, size) == 1;
    c->ctxFree(ctx);
    c->pkeyFree(key);
    return ok;
}

}  // namespace orv::p256
