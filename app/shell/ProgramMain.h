// The whole program as main() runs it.
#pragma once

class QCoreApplication;
class QString;

namespace orv {

int programMain(int argc, char** argv);

// Qt's own texts (standard buttons, file dialogs, date pickers) in Chinese:
// the translations beside the program first, then Qt's installed ones.
void installTranslations(QCoreApplication& app, const QString& programFolder);

}  // namespace orv
