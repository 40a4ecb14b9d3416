#include "base/Waiter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace orv {

namespace {
// How often a wait looks at its condition; events are handled as they come.
constexpr int kPollMs = 10;
}  // namespace

void EventLoopWaiter::delay(double seconds) {
    waitUntil([] { return false; }, seconds);
}

bool EventLoopWaiter::waitUntil(const std::function<bool()>& done, double seconds) {
    if (done()) return true;
    QElapsedTimer elapsed;
    elapsed.start();
    const auto limitMs = static_cast<qint64>(seconds * 1000.0);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || elapsed.elapsed() > limitMs) loop.quit();
    });
    poll.start(kPollMs);
    loop.exec();
    return done();
}

double SteadyClock::seconds() const {
    static QElapsedTimer origin = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<double>(origin.nsecsElapsed()) / 1e9;
}

const SteadyClock& SteadyClock::instance() {
    static const SteadyClock clock;
    return clock;
}

}  // namespace orv
