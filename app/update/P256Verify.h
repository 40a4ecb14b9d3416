// ECDSA P-256 verification by the platform's own crypto: OpenSSL's
// libcrypto on Linux (P256Verify_posix.cpp), CNG on Windows
// (P256Verify_win.cpp). Plain C++ so that the platform files need nothing
// but the system's headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::p256 {

// True when (r, s) signs SHA-256 of `message` under the public point
// (x, y); each of x, y, r, s is 32 bytes big-endian.
bool verify(const std::uint8_t* x, const std::uint8_t* y, const std::uint8_t* r,
            const std::uint8_t* s, const std::uint8_t* message, std::size_t size);

}  // namespace orv::p256
