// Test stand-ins for time: a clock that stands where the test puts it and a
// waiter that records the waits instead of sleeping through them.
#pragma once

#include <vector>

#include "fakeclock.h"
#include "shell/Waiter.h"

namespace orvtest {

class FakeWaiter : public orv::Waiter {
public:
    std::vector<double> waits;
    void delay(double seconds) override { waits.push_back(seconds); }
};

}  // namespace orvtest
