#include "orv/clock.h"

#include <cstdio>
#include <ctime>

#include "clock_platform.h"

namespace orv {

std::string LocalTime::yyyymmdd() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
    return buf;
}

std::string LocalTime::isoDate() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::string LocalTime::timestamp() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

LocalTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    const std::tm tm = platform::localTime(t);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

const SystemClock& SystemClock::instance() {
    static const SystemClock clock;
    return clock;
}

}  // namespace orv
