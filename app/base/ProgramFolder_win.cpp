#include "base/ProgramFolder.h"

namespace orv {

qsizetype driveLength(const QString& path) {
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') ? 2 : 0;
}

}  // namespace orv
