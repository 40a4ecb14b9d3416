// The updater's command line: "-LEZ" and three to six options, one word
// each, split at every single blank. A pure function over the text, so that
// it can be driven with any bytes.
#pragma once

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
// plain name in the updater's folder): no separators, no "..", no drive.
std::string nameProblem(std::string_view name);

// Why a set of options would make the updater destroy what it needs: the
// updater itself, the program and its backup, the package and what it is
// copied to, must be different files. "" when they are.
std::string conflictProblem(const Options& o, std::string_view updaterName);

}  // namespace zelupdate
