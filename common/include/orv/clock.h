// Local wall-clock time, injectable so that tests can stand at any moment
// (midnight roll-over, dates in messages) without waiting.
#pragma once

#include <string>

namespace orv {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    std::string yyyymmdd() const;   // "20110701"
    std::string timestamp() const;  // "2011-07-01 09:30:05"
    std::string isoDate() const;    // "2011-07-01"
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalTime now() const override;
    static const SystemClock& instance();
};

}  // namespace orv
