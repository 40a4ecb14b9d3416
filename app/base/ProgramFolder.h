// The program folder (the folder of the running executable) and the paths
// of the files kept in it.
#pragma once

#include <QString>

namespace orv {

// The folder of the running program, without a trailing separator.
QString programFolder();

// `folder` + separator + `name`, the separator left out when the folder
// already ends with one.
QString inFolder(const QString& folder, const QString& name);

// The text after the last separator of a path (the whole text if none).
QString fileNameOf(const QString& path);

// How many leading characters of `path` name a drive ("C:" on Windows;
// none elsewhere). ProgramFolder_win.cpp, ProgramFolder_posix.cpp.
qsizetype driveLength(const QString& path);

}  // namespace orv
