// The updater's run: wait for the main program to end, back it up, put the
// new version in place (mode 1) or run the package (mode 2), start the
// program again. Every step and failure goes to the updater's log.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "Platform.h"
#include "orv/clock.h"
#include "orv/logfile.h"

namespace zelupdate {

// How long the updater waits. Tests shorten them; nothing lengthens them.
struct Timing {
    std::chrono::milliseconds pollPause{200};     // between two looks at the process list
    std::chrono::milliseconds waitLimit{600000};  // for the main program to end
    std::chrono::milliseconds settle{1000};       // after the package program ended
};

// "POLL,LIMIT,SETTLE" in milliseconds; each value may only shorten the
// default. Anything else gives the defaults.
Timing timingFrom(const char* text);

// The file operations, each reporting the system's description on failure.
// Tests replace one to make it fail. Defined with the platform.
class Files {
public:
    virtual ~Files() = default;
    virtual bool exists(const std::filesystem::path& p);
    // A missing file is a failure, as deleting it would be.
    virtual bool remove(const std::filesystem::path& p, std::string& error);
    // Overwrites `to`.
    virtual bool copy(const std::filesystem::path& from, const std::filesystem::path& to,
                      std::string& error);
    // `to` holds the old file or the whole new one at every moment.
    virtual bool install(const std::filesystem::path& from, const std::filesystem::path& to,
                         std::string& error);
};

class Updater {
public:
    Updater(Platform& platform, Files& files, orv::LogFile& log, std::filesystem::path folder,
            std::string updaterName, Timing timing = {});

    // Runs the steps for a parsed command line that named everything.
    void run(const Options& options);

private:
    bool insideFolder();
    bool waitForProgram(const std::string& exe);
    bool ours(const ProcessEntry& p) const;
    void backup();
    void replace(const Options& o);
    void runPackage(const Options& o);
    bool start(const std::filesystem::path& program, const std::string& params, long long* id,
               std::string& error);
    void log(const std::string& text) { log_.log(logText(text)); }

    Platform& platform_;
    Files& files_;
    orv::LogFile& log_;
    std::filesystem::path folder_;
    std::string updaterName_;
    Timing timing_;

    std::filesystem::path program_, backup_, package_, packageProgram_, restart_;
};

// The whole program over a command line: nothing for an empty one; else the
// log, and the run when the line names everything.
void runCommandLine(std::string_view line, Platform& platform, Files& files,
                    const std::filesystem::path& updaterPath, Timing timing = {},
                    const orv::Clock& clock = orv::SystemClock::instance());

}  // namespace zelupdate
