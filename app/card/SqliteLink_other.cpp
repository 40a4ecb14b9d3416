// Platforms without the dynamic loader's symbol lookup: nothing proves that
// the SQL driver uses this program's SQLite, so Qt's own binding is used.
#include "card/SqliteLink.h"

namespace orv {

bool driverUsesOurSqlite(const void*) {
    return false;
}

}  // namespace orv
