// Waiting while the user interface keeps processing its events. Injected
// wherever the program waits (retry delays, time-outs) so that tests do not
// sleep through real seconds.
#pragma once

namespace orv {

class Waiter {
public:
    virtual ~Waiter() = default;
    // Returns once more than `seconds` have passed.
    virtual void delay(double seconds) = 0;
};

// Lets the event loop run until the time has passed (a monotonic clock, so a
// wait that spans midnight still ends on time).
class EventLoopWaiter : public Waiter {
public:
    void delay(double seconds) override;
};

}  // namespace orv
