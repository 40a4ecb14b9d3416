// The strings the exports hand out through their out-parameters. An
// out-parameter is written only when the export succeeds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// How 8-bit text becomes the UTF-16 handed out.
using Decode = std::u16string (*)(std::string_view);

// Hands `text` out as a newly allocated string and returns `result`; *out
// is written only when the allocation worked (else ZEL_OUT_OF_MEMORY).
// ASCII text (card hex) is widened straight into the string. A null `out`
// takes nothing.
int32_t handOut(const std::string& text, char16_t** out, int32_t result, Decode decode);

// GetAllCOMPorts: the ports joined by ";" and their count; 0 with *out
// untouched when the port list could not be read.
int32_t handOutPorts(const std::optional<std::vector<std::string>>& ports, char16_t** out);

}  // namespace zel
