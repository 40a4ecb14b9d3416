// The baseline: a bare main window started the same way.
#include <QApplication>
#include <QMainWindow>

#include "paintwatch.h"

static void watchPaint() {
    orvbench::installPaintWatch();
}
Q_COREAPP_STARTUP_FUNCTION(watchPaint)

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.resize(1024, 700);
    w.show();
    return app.exec();
}
