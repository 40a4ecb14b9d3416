// The start-up step that installs a new updater: "aup.001" (the program)
// with its digests in "aup.002" (section Setting: MD5, SHA1 and, when
// given, SHA256). The updater cannot replace itself, so the main program
// does it before anything else uses the updater.
#pragma once

#include <QString>

namespace orv {

class AppLog;
class Waiter;

// Verifies and installs the pending updater; every outcome worth knowing is
// a log line ("UpdateAUP: OK", "UpdateAUP: MD5 Error", ...). Start-up goes
// on whatever happens here.
void UpdateAUP(const QString& programFolder, AppLog& log, Waiter& waiter);

}  // namespace orv
