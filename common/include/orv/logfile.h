// The daily log file of the main program and of the updater: one file a day
// in a "Log" folder beside the program, GBK text, CR LF, opened, appended to
// and closed for every line. Plain C++ so that the updater, which links no
// Qt, shares it. Paths are filesystem paths, so that a folder whose name
// the system's code page cannot spell still works on Windows.
#pragma once

#include <filesystem>
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
    LogFile(const std::filesystem::path& programFolder, Variant variant, const std::string& version,
            const Clock& clock = SystemClock::instance());
    // Writes the end line.
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Appends "yyyy-mm-dd hh:mm:ss " + text; `text` is GBK. False when the
    // folder or the file could not be written (callers go on regardless).
    bool log(const std::string& text);

    const std::filesystem::path& logFile() const { return file_; }
    // Makes `path` the current file (created when missing) until the date
    // changes.
    bool setLogFile(const std::filesystem::path& path);

    const std::filesystem::path& folder() const { return folder_; }
    bool ok() const { return ok_; }

    // The texts of the start and end entries.
    static std::string startText(Variant variant, const std::string& version);
    static std::string endText(Variant variant, const std::string& version);

private:
    std::filesystem::path fileFor(const std::string& day) const;
    bool append(const std::string& line);

    const Clock& clock_;
    Variant variant_;
    std::string version_;
    std::filesystem::path folder_;
    std::string day_;
    std::filesystem::path file_;
    bool ok_ = true;
};

}  // namespace orv
