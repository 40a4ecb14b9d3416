#include "base/ProgramFolder.h"

namespace orv {

qsizetype driveLength(const QString&) {
    return 0;
}

}  // namespace orv
