// The whole program as main() runs it.
#pragma once

class QCoreApplication;
class QString;

namespace orv {

class NetworkState;

// What a test build of the program may put in place of the system's.
struct ProgramSeams {
    NetworkState* network = nullptr;
};

int programMain(int argc, char** argv, const ProgramSeams& seams = {});

// Qt's own texts (standard buttons, file dialogs, date pickers) in Chinese:
// the translations beside the program first, then Qt's installed ones.
void installTranslations(QCoreApplication& app, const QString& programFolder);

}  // namespace orv
