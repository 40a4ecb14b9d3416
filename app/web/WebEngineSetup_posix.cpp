#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

#include "web/WebEngineSetup.h"

namespace orv {

void prepareWebEngineSandbox() {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

}  // namespace orv
