// modTempFile: the temporary folder and unique temporary files.
#pragma once

#include <QString>

namespace orv {

// TMPDIR (or /tmp) with a trailing separator; the system's temp path on
// Windows.
QString TempFolder();

struct TempFileResult {
    QString path;   // empty on failure
    int error = 0;  // the system's error code on failure
};

// Creates an empty file named <up to 3 prefix characters><hex number>.tmp in
// `folder` (the temp folder when empty), exclusively, as the Windows function
// does; the number is unique in that folder.
TempFileResult TempFileName(const QString& prefix, const QString& folder = QString());

// Creates `path` as a new empty file, failing when it exists: 0, or the
// errno value (EEXIST when taken). By the path's Unicode name on Windows,
// not the code page's (TempFile_win.cpp, TempFile_posix.cpp).
int createExclusive(const QString& path);

}  // namespace orv
