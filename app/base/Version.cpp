#include "base/Version.h"

namespace orv {

ProgramVersion programVersion() {
    return {ORV_VERSION_MAJOR, ORV_VERSION_MINOR, ORV_VERSION_PATCH};
}

}  // namespace orv
