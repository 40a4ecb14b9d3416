// The one place where text crosses between Unicode and the GBK code page
// that the card, the INI file, the log and the wire protocol use.
#pragma once

#include <string>
#include <string_view>

namespace orv::gbk {

// ASCII reads the same in GBK, UTF-8 and UTF-16.
bool isAscii(std::string_view bytes);

// Unicode to GBK bytes; a character GBK cannot hold becomes '?', as the
// Windows ANSI conversion does.
std::string fromUtf16(std::u16string_view text);
std::string fromUtf8(std::string_view text);

// GBK bytes to Unicode; a byte sequence that is not GBK becomes U+FFFD.
std::u16string toUtf16(std::string_view bytes);
std::string toUtf8(std::string_view bytes);

}  // namespace orv::gbk
