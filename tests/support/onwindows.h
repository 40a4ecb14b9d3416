// Whether the tests run on Windows (under Wine), where the cases that need
// Linux alone (permission bits, file-size limits, Linux's own programs) are
// skipped with the reason.
#pragma once

namespace orvtest {

#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

}  // namespace orvtest
