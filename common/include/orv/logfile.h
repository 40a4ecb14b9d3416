// The daily log file of the main program and of the updater: one file a day
// in a "Log" folder beside the program, GBK text, CR LF, opened, appended to
// and closed for every line. Plain C++ so that the updater, which links no
// Qt, shares it.
#pragma once

#include <string>

#include "orv/clock.h"

namespace orv {

class LogFile {
public:
    enum class Variant {
        Program,  // "Log<day>.txt", start/end lines with the version
        Updater,  // "aup<day>.txt", start/end lines without it
    };

    // Creates the folder when needed and writes the start line. `version` is
    // "major.minor.revision" (unused by the updater variant).
    LogFile(const std::string& programFolder, Variant variant, const std::string& version,
            const Clock& clock = SystemClock::instance());
    // Writes the end line.
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Appends "yyyy-mm-dd hh:mm:ss " + text; `text` is GBK. False when the
    // folder or the file could not be written (callers go on regardless).
    bool log(const std::string& text);

    const std::string& logFile() const { return file_; }
    // Makes `path` the current file (created when missing) until the date
    // changes.
    bool setLogFile(const std::string& path);

    const std::string& folder() const { return folder_; }
    bool ok() const { return ok_; }

    // The texts of the start and end entries.
    static std::string startText(Variant variant, const std::string& version);
    static std::string endText(Variant variant, const std::string& version);

private:
    std::string fileFor(const std::string& day) const;
    bool append(const std::string& line);

    const Clock& clock_;
    Variant variant_;
    std::string version_;
    std::string folder_;
    std::string day_;
    std::string file_;
    bool ok_ = true;
};

}  // namespace orv
