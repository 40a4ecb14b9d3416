// The updater's command line: "-LEZ" and three to six options, one word
// each, split at every single blank. A pure function over the text, so that
// it can be driven with any bytes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zelupdate {

struct Options {
    int type = 0;         // -T: 1 replaces the program, 2 runs the package
    std::string exe;      // -E: the main program's file name
    std::string package;  // -U: the package's file name
    bool hasParams = false;
    std::string params;  // -P: brackets removed, "$" as blanks, a blank in front
    enum class Restart { Program, Named, None };
    Restart restart = Restart::Program;  // -R: absent, a name, or "-"
    std::string run;                     // -R name when Named
    int wait = 1;                        // -W: 1 waits for the package program
};

struct ParsedCommandLine {
    enum class Status {
        Empty,       // nothing to do, not even a log
        Foreign,     // not a call from the main program
        Incomplete,  // -T missing, or -E or -U empty
        Error,       // `error` says why; nothing may be changed
        Ok,
    };
    Status status = Status::Empty;
    Options options;
    std::string error;
};

ParsedCommandLine parseCommandLine(std::string_view line);

// Why a file name given on the command line is refused ("" when it is a
// plain name in the updater's folder): no separators, no "..", no drive or
// stream, and nothing Windows would read as another file (a trailing dot or
// blank, which it drops) or as a device (CON, NUL, COM1, ...), nor a
// character it does not allow in names. The same rule on every platform:
// the names come from one manifest.
std::string nameProblem(std::string_view name);

// Tells whether two names of the updater's folder are one file, besides
// being the same name.
using SameFile = std::function<bool(std::string_view, std::string_view)>;

// Why a set of options would make the updater destroy what it needs or
// start an updater: the updater itself and its backup, the program and its
// backup, the package and what it is copied to, must be different files,
// and neither the program nor the -R file may be the updater or its backup. "" when they are. Names
// are compared without regard to ASCII case; `sameFile` catches what names cannot tell (links,
// short 8.3 names, case rules beyond ASCII).
std::string conflictProblem(const Options& o, std::string_view updaterName,
                            const SameFile& sameFile = {});

// A command line that holds the program's name too, as Windows passes it:
// what follows the name (quoted, or up to the first blank or tab) and the
// blanks and tabs after it.
std::string_view afterProgramName(std::string_view line);

}  // namespace zelupdate
