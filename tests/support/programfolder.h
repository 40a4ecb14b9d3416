// A complete program folder in a test's temp directory: the reader library,
// the wizard's two animations, a fresh records database and, when asked,
// the web module and a settings file.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
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
// The bytes of the folder's log files, in the order of their names.
QByteArray logsOf(const QString& folder);

// For a test that starts the built program itself: copies it into the
// program folder `dir` and returns its environment: offscreen, `runtime` as
// its runtime folder, no smart-card service on the socket, and first on
// PATH a stand-in systemctl that appends its arguments to
// tools/systemctl.log.
QProcessEnvironment installProgram(const TempDir& dir, const TempDir& runtime,
                                   const TempDir& tools);

}  // namespace orvtest
