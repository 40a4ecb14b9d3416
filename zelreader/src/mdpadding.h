// The block walk shared by SHA-1 and MD5: whole 64-byte blocks, then the
// padding (80, zeros, the bit length in the last 8 bytes) in one or two
// more blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zel {

enum class LengthOrder { BigEndian, LittleEndian };

template <typename Block>
void digestBlocks(const uint8_t* data, std::size_t len, LengthOrder order, Block&& block) {
    std::size_t off = 0;
    for (; len - off >= 64; off += 64)
        block(data + off);
    uint8_t tail[128] = {};
    const std::size_t rest = len - off;
    if (rest) std::memcpy(tail, data + off, rest);
    tail[rest] = 0x80;
    const std::size_t tailLen = rest < 56 ? 64 : 128;
    const uint64_t bits = static_cast<uint64_t>(len) * 8;
    for (std::size_t i = 0; i < 8; ++i) {
        const std::size_t at = order == LengthOrder::BigEndian ? tailLen - 1 - i : tailLen - 8 + i;
        tail[at] = static_cast<uint8_t>(bits >> (8 * i));
    }
    for (std::size_t t = 0; t < tailLen; t += 64)
        block(tail + t);
}

}  // namespace zel
