// A complete program folder in a test's temp directory: the reader library,
// the wizard's two animations, a fresh records database and, when asked,
// a settings file.
#pragma once

#include <QString>

#include "tempdir.h"

namespace orvtest {

struct ProgramFolderParts {
    bool clips = true;
    bool database = true;
    bool readerLibrary = true;
};

void makeProgramFolder(const TempDir& dir, ProgramFolderParts parts = {});
// Writes zelReader.ini's SYSTEM section with the given "key=value" lines.
void writeSettings(const TempDir& dir, const QStringList& lines);
QString folderOf(const TempDir& dir);

}  // namespace orvtest
