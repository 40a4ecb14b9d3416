// The baseline: a bare main window started the same way. With "--text" it
// also shows one line of Chinese text, which costs any Chinese window the
// font database and the CJK font: the floor under the program's own cost.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "paintwatch.h"

static void watchPaint() {
    orvbench::installPaintWatch();
}
Q_COREAPP_STARTUP_FUNCTION(watchPaint)

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.resize(1024, 700);
    if (app.arguments().contains(QStringLiteral("--text")))
        w.statusBar()->addWidget(new QLabel(QStringLiteral("服务器：未连接")));
    w.show();
    return app.exec();
}
