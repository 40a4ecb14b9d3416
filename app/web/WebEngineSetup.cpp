#include "web/WebEngineSetup.h"

#include <QCoreApplication>

namespace orv {

void prepareWebEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    prepareWebEngineSandbox();
}

}  // namespace orv
