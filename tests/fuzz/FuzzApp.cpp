#include "FuzzApp.h"

#include <QCoreApplication>

namespace orvfuzz {

void ensureQtApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "orv-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

}  // namespace orvfuzz
