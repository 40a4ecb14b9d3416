// Hex text: upper-case on output, either case on input, two digits a byte,
// high nibble first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv::hex {

// Value of one hex digit, or -1 when the character is not one.
constexpr int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Strict decoding: false (and `out` unchanged) for odd length or a non-hex
// character.
bool decode(std::string_view text, std::vector<std::uint8_t>& out);

// Lenient decoding: length/2 bytes (rounded down); a pair holding a non-hex
// character gives 0 for that byte.
std::vector<std::uint8_t> decodeLenient(std::string_view text);

std::string encode(const std::uint8_t* data, std::size_t len);
inline std::string encode(const std::vector<std::uint8_t>& bytes) {
    return encode(bytes.data(), bytes.size());
}

// Appends the two upper-case digits of one byte.
void appendByte(std::string& out, std::uint8_t b);

}  // namespace orv::hex
