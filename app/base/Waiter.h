// Waiting while the user interface keeps processing its events. Injected
// wherever the program waits (retry delays, the connect loop) so that tests
// do not sleep through real seconds.
#pragma once

#include <functional>

namespace orv {

class Waiter {
public:
    virtual ~Waiter() = default;
    // Returns once more than `seconds` have passed.
    virtual void delay(double seconds) = 0;
    // Processes events until `done` holds or more than `seconds` have
    // passed; the result is `done` at the end.
    virtual bool waitUntil(const std::function<bool()>& done, double seconds) = 0;
};

// Runs the event loop until the time has passed (a monotonic clock, so a
// wait that spans midnight still ends on time).
class EventLoopWaiter : public Waiter {
public:
    void delay(double seconds) override;
    bool waitUntil(const std::function<bool()>& done, double seconds) override;
};

// Seconds on a clock that only moves forward: how long something took, never
// the time of day (which jumps at midnight and when the clock is set).
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual double seconds() const = 0;
};

class SteadyClock : public MonotonicClock {
public:
    double seconds() const override;
    static const SteadyClock& instance();
};

}  // namespace orv
