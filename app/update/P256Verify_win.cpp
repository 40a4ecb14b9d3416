// P-256 verification with CNG: the point is imported as an ECCPUBLIC blob,
// the message hashed with SHA-256, and the signature given as r then s.
#include "update/P256Verify.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <vector>

namespace orv::p256 {

namespace {
bool ok(NTSTATUS status) {
    return status >= 0;
}

class Algorithm {
public:
    explicit Algorithm(LPCWSTR id) {
        if (!ok(BCryptOpenAlgorithmProvider(&handle_, id, nullptr, 0))) handle_ = nullptr;
    }
    ~Algorithm() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

bool sha256(const std::uint8_t* message, std::size_t size, std::uint8_t (&digest)[32]) {
    const Algorithm alg(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!alg.get() || !ok(BCryptCreateHash(alg.get(), &hash, nullptr, 0, nullptr, 0, 0)))
        return false;
    bool done = true;
    // BCryptHashData takes a 32-bit length: a longer message goes in pieces.
    while (done && size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        done = ok(BCryptHashData(hash, const_cast<PUCHAR>(message), piece, 0));
        message += piece;
        size -= piece;
    }
    done = done && ok(BCryptFinishHash(hash, digest, sizeof digest, 0));
    BCryptDestroyHash(hash);
    return done;
}
}  // namespace

bool verify(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* r,
            const std::uint8_t* s, const std::uint8_t* message, std::size_t size) {
    std::uint8_t digest[32];
    if (!sha256(message, size, digest)) return false;

    const Algorithm alg(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!alg.get()) return false;
    std::vector<std::uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, x, 32);
    std::memcpy(blob.data() + sizeof header + 32, y, 32);
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!ok(BCryptImportKeyPair(alg.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                static_cast<ULONG>(blob.size()), 0)))
        return false;
    std::uint8_t signature[64];
    std::memcpy(signature, r, 32);
    std::memcpy(signature + 32, s, 32);
    const bool valid = BCryptVerifySignature(key, nullptr, digest, sizeof digest, signature,
                                             sizeof signature, 0) == 0;  // STATUS_SUCCESS
    BCryptDestroyKey(key);
    return valid;
}

}  // namespace orv::p256
