#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "gbk_platform.h"

namespace orv::gbk::platform {

namespace {

// Runs iconv over the whole input; on a sequence it cannot convert it
// writes `replacement` and skips `skipUnit` input bytes.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, std::size_t skipUnit) {
    std::string out;
    if (in.empty()) return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or a truncated sequence at the end (EINVAL).
        out.append(replacement);
        const std::size_t skip = srcLeft < skipUnit ? srcLeft : skipUnit;
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string fromUtf16(std::u16string_view text) {
    const std::string_view raw(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return convert("GBK", "UTF-16LE", raw, "?", 2);
}

std::u16string toUtf16(std::string_view bytes) {
    static constexpr char kReplacement[] = {'\xFD', '\xFF'};  // U+FFFD, little-endian
    const std::string raw = convert("UTF-16LE", "GBK", bytes, std::string_view(kReplacement, 2), 1);
    std::u16string out(raw.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<std::uint8_t>(raw[2 * i]) |
                                       (static_cast<std::uint8_t>(raw[2 * i + 1]) << 8));
    return out;
}

std::string fromUtf8(std::string_view text) {
    return convert("GBK", "UTF-8", text, "?", 1);
}

std::string toUtf8(std::string_view bytes) {
    return convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD", 1);
}

}  // namespace orv::gbk::platform
