// Whether an SQL driver's plugin and this program use one SQLite library.
// Only then may the driver's sqlite3 handle be passed to this program's own
// SQLite calls: a plugin that carries a copy of its own (common where Qt
// bundles SQLite) would have two copies of SQLite working on one handle.
#pragma once

namespace orv {

// `inDriver`: any address inside the driver's library (its meta-object).
// True only when every SQLite function RowInsert calls, looked up through
// the dynamic loader from that library, is the very function this program
// calls. False whenever that cannot be proven, and where the platform has
// no such check.
bool driverUsesOurSqlite(const void* inDriver);

}  // namespace orv
