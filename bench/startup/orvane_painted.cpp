// The real program, quitting once its main window has painted.
#include "paintwatch.h"
#include "shell/ProgramMain.h"

static void watchPaint() {
    orvbench::installPaintWatch();
}
Q_COREAPP_STARTUP_FUNCTION(watchPaint)

int main(int argc, char** argv) {
    return orv::programMain(argc, argv);
}
