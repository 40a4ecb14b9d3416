#include "shell/Waiter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace orv {

void EventLoopWaiter::delay(double seconds) {
    QElapsedTimer timer;
    timer.start();
    const auto limit = static_cast<qint64>(seconds * 1000.0);
    while (timer.elapsed() <= limit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
}

}  // namespace orv
