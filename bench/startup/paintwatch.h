// For the start-up benchmark's two programs: once a main window has painted
// for the first time, print "painted" and quit. Installed as the
// application is made, so the program under test runs unchanged.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>

namespace orvbench {

class PaintWatch : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!seen_ && e->type() == QEvent::Paint && qobject_cast<QMainWindow*>(o)) {
            seen_ = true;
            std::printf("painted\n");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool seen_ = false;
};

inline void installPaintWatch() {
    qApp->installEventFilter(new PaintWatch);
}

}  // namespace orvbench
