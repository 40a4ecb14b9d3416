#include "orv/hex.h"

namespace orv::hex {

bool decode(std::string_view text, std::vector<std::uint8_t>& out) {
    if (text.size() % 2 != 0) return false;
    std::vector<std::uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int hi = digitValue(text[2 * i]);
        const int lo = digitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    out = std::move(bytes);
    return true;
}

std::vector<std::uint8_t> decodeLenient(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int hi = digitValue(text[2 * i]);
        const int lo = digitValue(text[2 * i + 1]);
        bytes[i] = (hi < 0 || lo < 0) ? 0 : static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

void appendByte(std::string& out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
}

std::string encode(const std::uint8_t* data, std::size_t len) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out(len * 2, '\0');
    for (std::size_t i = 0; i < len; ++i) {
        out[2 * i] = kDigits[data[i] >> 4];
        out[2 * i + 1] = kDigits[data[i] & 0x0F];
    }
    return out;
}

}  // namespace orv::hex
