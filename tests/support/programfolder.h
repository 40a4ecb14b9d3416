// A complete program folder in a test's temp directory: the reader library,
// the wizard's two animations, a fresh records database and, when asked,
// the web module and a settings file.
#pragma once

#include <QString>

#include "tempdir.h"

namespace orvtest {

struct ProgramFolderParts {
    bool clips = true;
    bool database = true;
    bool readerLibrary = true;
    // The invoice-check pane's web module, linked to the build's copy so
    // that a process loads it once whatever folder it comes from.
    bool webModule = false;
};

void makeProgramFolder(const TempDir& dir, ProgramFolderParts parts = {});
// Writes zelReader.ini's SYSTEM section with the given "key=value" lines.
void writeSettings(const TempDir& dir, const QStringList& lines);
QString folderOf(const TempDir& dir);

}  // namespace orvtest
