#include "shell/Startup.h"

namespace orv {

QString helpFileName() {
    return QStringLiteral("zelORV.chm");
}

}  // namespace orv
