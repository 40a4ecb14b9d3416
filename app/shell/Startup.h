// The program's start, from the program folder to the point where the main
// window opens: companion files, the records database, the log, the pending
// updater, the settings and the reader.
#pragma once

#include <QString>
#include <functional>

namespace orv {

struct Program;

inline const QString kReadingClip = QStringLiteral("zelSC.dll");
inline const QString kWritingClip = QStringLiteral("zelSCC.dll");
// The manual's file name (Startup_win.cpp, Startup_posix.cpp).
QString helpFileName();

struct StartupSteps {
    // Installs an updater that an earlier run downloaded; may be empty.
    std::function<void(Program&)> installPendingUpdate;
};

// False after a fatal message has been shown: the program ends without a
// main window.
bool startProgram(Program& program, const QString& folder, const StartupSteps& steps);

}  // namespace orv
