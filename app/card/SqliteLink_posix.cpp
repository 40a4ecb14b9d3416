#include <dlfcn.h>
#include <sqlite3.h>

#include "card/SqliteLink.h"

namespace orv {

namespace {

struct Function {
    const char* name;
    void* ours;
};

// The SQLite functions RowInsert calls on the driver's handle.
const Function kUsed[] = {
    {"sqlite3_prepare_v2", reinterpret_cast<void*>(&sqlite3_prepare_v2)},
    {"sqlite3_finalize", reinterpret_cast<void*>(&sqlite3_finalize)},
    {"sqlite3_reset", reinterpret_cast<void*>(&sqlite3_reset)},
    {"sqlite3_bind_double", reinterpret_cast<void*>(&sqlite3_bind_double)},
    {"sqlite3_bind_int64", reinterpret_cast<void*>(&sqlite3_bind_int64)},
    {"sqlite3_bind_null", reinterpret_cast<void*>(&sqlite3_bind_null)},
    {"sqlite3_bind_text", reinterpret_cast<void*>(&sqlite3_bind_text)},
    {"sqlite3_step", reinterpret_cast<void*>(&sqlite3_step)},
    {"sqlite3_errmsg", reinterpret_cast<void*>(&sqlite3_errmsg)},
    {"sqlite3_last_insert_rowid", reinterpret_cast<void*>(&sqlite3_last_insert_rowid)},
};

}  // namespace

bool driverUsesOurSqlite(const void* inDriver) {
    Dl_info driver{};
    if (!inDriver || dladdr(inDriver, &driver) == 0 || !driver.dli_fname) return false;
    // A handle on the library already loaded; lookups through it search the
    // library and then what it was linked against. A plugin with its own
    // SQLite either hides it (nothing is found) or exports it (its own copy
    // is found); neither is ours.
    void* lib = dlopen(driver.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!lib) return false;
    bool same = true;
    for (const Function& f : kUsed)
        same = same && dlsym(lib, f.name) == f.ours;
    dlclose(lib);
    return same;
}

}  // namespace orv
