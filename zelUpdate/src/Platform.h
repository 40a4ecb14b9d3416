// What the updater needs from the operating system, besides files. One
// implementation per platform: platform_posix.cpp, platform_win32.cpp.
// Tests put their own in its place.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace zelupdate {

struct ProcessEntry {
    std::string name;           // the executable's file name
    std::filesystem::path exe;  // its full path, empty when the system does not tell
    long long id = 0;
    // Known to run for another user (or, on Windows, in another session).
    bool otherUser = false;
};

struct StartResult {
    bool ok = false;
    long long id = 0;   // the new process
    std::string error;  // the system's description when !ok
};

class Platform {
public:
    virtual ~Platform() = default;

    // Every running process that has not ended (ListProcesses).
    virtual std::vector<ProcessEntry> listProcesses() = 0;
    // Starts `program` with `args`, detached from the updater: in a session
    // of its own, the updater's folder as working folder, none of the
    // updater's descriptors (standard input and output go nowhere).
    virtual StartResult start(const std::filesystem::path& program,
                              const std::vector<std::string>& args) = 0;
    // A handle to wait for the process with (0 when it cannot be had).
    virtual long long openProcess(long long id) = 0;
    // Waits, without limit, until the process behind the handle has ended,
    // then closes the handle.
    virtual void waitAndClose(long long handle) = 0;
    virtual void sleep(std::chrono::milliseconds d) = 0;
    virtual std::chrono::steady_clock::time_point now() = 0;
};

std::unique_ptr<Platform> systemPlatform();

// The updater's own file, as the system reports it.
std::filesystem::path ownPath(const char* argv0);

// The command line without the program: the words as the system passed
// them, joined by single blanks on platforms that split it.
std::string commandLine(int argc, char** argv);

// The parameters of a started program: the -P text split into words
// (platforms that pass a command line as text take it whole).
std::vector<std::string> splitParams(const std::string& params);

// Text inside the updater is what the command line brought: the bytes on
// Linux, UTF-8 on Windows. These make paths of it and text of paths.
std::filesystem::path pathOf(const std::string& text);
std::string textOf(const std::filesystem::path& path);

// Where a file or folder really is: links followed, spelled as the system
// keeps it, so that two names of one place compare equal.
std::filesystem::path realPath(const std::filesystem::path& path, std::error_code& ec);
// True when both exist and are one file (a link, a second name).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A log entry's text in the log's code page.
std::string logText(const std::string& text);

}  // namespace zelupdate
