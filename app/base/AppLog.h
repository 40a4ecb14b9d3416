// clsLog for the main program: the shared daily log file with this
// program's version, taking Qt text.
#pragma once

#include <QString>
#include <memory>

#include "orv/logfile.h"

namespace orv {

class AppLog {
public:
    explicit AppLog(const QString& programFolder, const Clock& clock = SystemClock::instance());

    // Appends one entry; a failing log never stops the caller.
    bool Log(const QString& text);
    QString LogFile() const;
    void setLogFile(const QString& path);

    static QString version();  // "major.minor.revision" of this build

private:
    std::unique_ptr<orv::LogFile> file_;
};

}  // namespace orv
