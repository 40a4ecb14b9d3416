#include "orv/gbk.h"

#include <cerrno>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace orv::gbk {

namespace {

#ifdef _WIN32
constexpr UINT kCodePage = 936;

std::string wideToCodePage(std::u16string_view text, UINT cp) {
    if (text.empty()) return {};
    const auto* w = reinterpret_cast<const wchar_t*>(text.data());
    const int n =
        WideCharToMultiByte(cp, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(cp, 0, w, static_cast<int>(text.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

std::u16string codePageToWide(std::string_view bytes, UINT cp) {
    if (bytes.empty()) return {};
    const int n =
        MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0)
        MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}
#else
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
#endif

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
#ifdef _WIN32
    return wideToCodePage(text, kCodePage);
#else
    const std::string_view raw(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return convert("GBK", "UTF-16LE", raw, "?", 2);
#endif
}

std::u16string toUtf16(std::string_view bytes) {
    if (isAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
#ifdef _WIN32
    return codePageToWide(bytes, kCodePage);
#else
    static constexpr char kReplacement[] = {'\xFD', '\xFF'};  // U+FFFD, little-endian
    const std::string raw = convert("UTF-16LE", "GBK", bytes, std::string_view(kReplacement, 2), 1);
    std::u16string out(raw.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<std::uint8_t>(raw[2 * i]) |
                                       (static_cast<std::uint8_t>(raw[2 * i + 1]) << 8));
    return out;
#endif
}

std::string fromUtf8(std::string_view text) {
    if (isAscii(text)) return std::string(text);
#ifdef _WIN32
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<wchar_t*>(wide.data()), n);
    return fromUtf16(wide);
#else
    return convert("GBK", "UTF-8", text, "?", 1);
#endif
}

std::string toUtf8(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
#ifdef _WIN32
    const std::u16string wide = toUtf16(bytes);
    return wideToCodePage(wide, CP_UTF8);
#else
    return convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD", 1);
#endif
}

}  // namespace orv::gbk
