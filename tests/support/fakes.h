// Test stand-ins for time: a clock that stands where the test puts it, a
// monotonic clock the test moves, and a waiter that records the waits
// instead of sleeping through them.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <vector>

#include "base/Waiter.h"
#include "fakeclock.h"

namespace orvtest {

class FakeMonotonicClock : public orv::MonotonicClock {
public:
    double t = 1000.0;
    double seconds() const override { return t; }
};

// delay() returns at once. waitUntil() lets real events run (sockets answer)
// for at most `budgetMs` of real time, then reports the wait as over: the
// waited-for seconds pass in no time.
class FakeWaiter : public orv::Waiter {
public:
    std::vector<double> waits;
    int budgetMs = 5000;
    void delay(double seconds) override { waits.push_back(seconds); }
    bool waitUntil(const std::function<bool()>& done, double seconds) override {
        waits.push_back(seconds);
        if (done()) return true;
        QElapsedTimer t;
        t.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done() || t.elapsed() >= budgetMs) loop.quit();
        });
        poll.start(1);
        loop.exec();
        return done();
    }
};

}  // namespace orvtest
