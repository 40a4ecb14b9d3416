#include "crypto.h"

#include <array>

namespace zel {

namespace {
constexpr std::array<uint32_t, 256> makeTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}
constexpr auto kTable = makeTable();
}  // namespace

// Start value 0 and no final inversion (the tax-service frame depends on
// this variant); the register is returned with its bytes reversed, so that
// the integer stored little-endian gives the CRC most significant byte first.
uint32_t crc32Variant(const uint8_t* data, int32_t len) {
    uint32_t c = 0;
    for (int32_t i = 0; i < len; ++i)
        c = kTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return ((c & 0xFF) << 24) | ((c & 0xFF00) << 8) | ((c >> 8) & 0xFF00) | (c >> 24);
}

}  // namespace zel
