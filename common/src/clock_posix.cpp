#include "clock_platform.h"

namespace orv::platform {

std::tm localTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}  // namespace orv::platform
