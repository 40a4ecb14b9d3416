#include "outstrings.h"

#include "orv/gbk.h"
#include "platform.h"
#include "zelreader.h"

namespace zel {

int32_t handOut(const std::string& text, char16_t** out, int32_t result, Decode decode) {
    char16_t* s = orv::gbk::isAscii(text) ? platform::allocString(std::string_view(text))
                                          : platform::allocString(decode(text));
    if (!s) return ZEL_OUT_OF_MEMORY;
    if (out) {
        *out = s;
    } else {
        platform::freeString(s);
    }
    return result;
}

int32_t handOutPorts(const std::optional<std::vector<std::string>>& ports, char16_t** out) {
    if (!ports) return 0;
    std::string text;
    for (const std::string& p : *ports)
        text += (text.empty() ? "" : ";") + p;
    // Port names are ASCII ("COM3"), whatever the decoder.
    return handOut(text, out, static_cast<int32_t>(ports->size()), orv::gbk::toUtf16);
}

}  // namespace zel
