#include "web/WebEngineSetup.h"

namespace orv {

// No root account and no sandbox problem to avoid.
void prepareWebEngineSandbox() {}

}  // namespace orv
