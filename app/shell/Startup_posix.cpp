#include "shell/Startup.h"

namespace orv {

// A compiled help file has no common viewer here; the manual is the same
// HTML, opened in the browser.
QString helpFileName() {
    return QStringLiteral("zelORV.html");
}

}  // namespace orv
