#include <windows.h>

#include "gbk_platform.h"

namespace orv::gbk::platform {

namespace {

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

}  // namespace

std::string fromUtf16(std::u16string_view text) {
    return wideToCodePage(text, kCodePage);
}

std::u16string toUtf16(std::string_view bytes) {
    return codePageToWide(bytes, kCodePage);
}

std::string fromUtf8(std::string_view text) {
    return fromUtf16(codePageToWide(text, CP_UTF8));
}

std::string toUtf8(std::string_view bytes) {
    return wideToCodePage(toUtf16(bytes), CP_UTF8);
}

}  // namespace orv::gbk::platform
