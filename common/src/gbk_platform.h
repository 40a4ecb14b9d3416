// The converters between GBK and Unicode, one per platform (gbk_win.cpp:
// the system's code page 936; gbk_posix.cpp: iconv). gbk.cpp handles ASCII
// before calling them.
#pragma once

#include <string>
#include <string_view>

namespace orv::gbk::platform {

std::string fromUtf16(std::u16string_view text);
std::u16string toUtf16(std::string_view bytes);
std::string fromUtf8(std::string_view text);
std::string toUtf8(std::string_view bytes);

}  // namespace orv::gbk::platform
