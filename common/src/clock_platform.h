// The thread-safe local time of the platform (clock_win.cpp, clock_posix.cpp).
#pragma once

#include <ctime>

namespace orv::platform {

std::tm localTime(std::time_t t);

}  // namespace orv::platform
