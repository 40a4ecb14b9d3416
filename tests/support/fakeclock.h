// A clock that stands where the test puts it (no Qt: the updater's tests
// use it too).
#pragma once

#include "orv/clock.h"

namespace orvtest {

class FakeClock : public orv::Clock {
public:
    orv::LocalTime t{2012, 3, 3, 9, 30, 5};
    orv::LocalTime now() const override { return t; }
};

}  // namespace orvtest
