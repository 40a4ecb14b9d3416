#include "orv/gbk.h"

#include "gbk_platform.h"

namespace orv::gbk {

namespace {

bool isAsciiUtf16(std::u16string_view text) {
    for (char16_t c : text)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

bool isAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// ASCII is the same in GBK, UTF-8 and UTF-16; card data is mostly hex text,
// so the fast path skips the converter for it.
std::string fromUtf16(std::u16string_view text) {
    if (isAsciiUtf16(text)) return std::string(text.begin(), text.end());
    return platform::fromUtf16(text);
}

std::u16string toUtf16(std::string_view bytes) {
    if (isAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
    return platform::toUtf16(bytes);
}

std::string fromUtf8(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    return platform::fromUtf8(text);
}

std::string toUtf8(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    return platform::toUtf8(bytes);
}

}  // namespace orv::gbk
