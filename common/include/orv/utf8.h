// UTF-8 to and from UTF-16, for text that is Unicode on both sides, such as
// the PC/SC reader names of pcsc-lite. Plain code, the same on every
// platform.
#pragma once

#include <string>
#include <string_view>

namespace orv::utf8 {

// A malformed sequence (a stray or missing continuation byte, an overlong
// form, a surrogate, a value past U+10FFFF) becomes U+FFFD, and decoding
// goes on at the first byte that does not belong to it.
std::u16string toUtf16(std::string_view bytes);
// An unpaired surrogate becomes U+FFFD.
std::string fromUtf16(std::u16string_view text);

}  // namespace orv::utf8
