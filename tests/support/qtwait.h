// Lets the event loop run until a condition holds (bounded), as QTRY_VERIFY
// does for QTest.
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace orvtest {

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
    if (done()) return true;
    QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) loop.quit();
    });
    poll.start(2);
    loop.exec();
    return done();
}

}  // namespace orvtest
