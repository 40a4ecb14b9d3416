// The updater's command line: words, options, defaults and refusals.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "orv/fileinstall.h"

namespace {

using zelupdate::Options;
using zelupdate::parseCommandLine;
using Status = zelupdate::ParsedCommandLine::Status;

TEST(CommandLine, EndsWithoutWorkForEmptyForeignOrShortLines) {
    const struct {
        const char* line;
        Status status;
    } cases[] = {
        {"", Status::Empty},
        {"   ", Status::Empty},
        {"-LEZ -T1 -Eorvane", Status::Foreign},                        // three words
        {"-LEZ -T1 -Eorvane -Ux -P[a] -W1 -R- -Zz", Status::Foreign},  // eight
        {"-LEX -T1 -Eorvane -Ux", Status::Foreign},
        {"LEZ -T1 -Eorvane -Ux", Status::Foreign},
        // Two blanks make an empty word, which counts.
        {"-LEZ  -T1 -Eorvane -Ux -P[a] -W1 -R-", Status::Foreign},
        {"-LEZ -Eorvane -Ux -P[a]", Status::Incomplete},  // no -T
        {"-LEZ -T1 -E -Ux", Status::Incomplete},
        {"-LEZ -T1 -Eorvane -U", Status::Incomplete},
        {"-LEZ -T1 -Eorvane -Ux", Status::Ok},
        {"  -LEZ -T1 -Eorvane -Ux  ", Status::Ok},  // the line is trimmed first
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseCommandLine(c.line).status, c.status) << c.line;
}

TEST(CommandLine, ReadsTheOptionsInAnyOrderAndCase) {
    const auto r = parseCommandLine("-lez -utmp1A.tmp -w0 -p[/s$/q] -eorvane -t2 -rsetup");
    ASSERT_EQ(r.status, Status::Ok);
    const Options& o = r.options;
    EXPECT_EQ(o.type, 2);
    EXPECT_EQ(o.exe, "orvane");
    EXPECT_EQ(o.package, "tmp1A.tmp");
    EXPECT_EQ(o.wait, 0);
    EXPECT_TRUE(o.hasParams);
    EXPECT_EQ(o.params, " /s /q");
    EXPECT_EQ(o.restart, Options::Restart::Named);
    EXPECT_EQ(o.run, "setup");
}

TEST(CommandLine, DefaultsAndTheRestartChoices) {
    auto r = parseCommandLine("-LEZ -T1 -Eorvane -Utmp1A.tmp");
    EXPECT_EQ(r.options.wait, 1);
    EXPECT_FALSE(r.options.hasParams);
    EXPECT_EQ(r.options.restart, Options::Restart::Program);
    r = parseCommandLine("-LEZ -T1 -Eorvane -Utmp1A.tmp -R-");
    EXPECT_EQ(r.options.restart, Options::Restart::None);
    r = parseCommandLine("-LEZ -T1 -Eorvane -Utmp1A.tmp -R");
    EXPECT_EQ(r.options.restart, Options::Restart::Program);
    // Unknown options are passed over.
    r = parseCommandLine("-LEZ -T1 -Eorvane -Utmp1A.tmp -Qx");
    EXPECT_EQ(r.status, Status::Ok);
}

TEST(CommandLine, ParamsLoseTheirBracketsAndGainALeadingBlank) {
    const struct {
        const char* word;
        const char* params;
    } cases[] = {
        {"-P[/s$/q]", " /s /q"}, {"-P[$/s]", " /s"},  // already starts with a blank: none added
        {"-P[]", " "},           {"-Pplain", " plain"},
        {"-P[a[1]]", " a[1]"},  // only the enclosing pair goes
    };
    for (const auto& c : cases) {
        const auto r = parseCommandLine(std::string("-LEZ -T1 -Eorvane -Ux ") + c.word);
        EXPECT_EQ(r.options.params, c.params) << c.word;
    }
}

TEST(CommandLine, NumbersThatAreNoNumbersAreErrors) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"-LEZ -Tx -Eorvane -Ux", "the -T value \"x\" is not a number"},
        {"-LEZ -T -Eorvane -Ux", "the -T value \"\" is not a number"},
        {"-LEZ -T1 -Eorvane -Ux -W1.5", "the -W value \"1.5\" is not a number"},
        {"-LEZ -T99999999999 -Eorvane -Ux", "the -T value \"99999999999\" is not a number"},
    };
    for (const auto& c : cases) {
        const auto r = parseCommandLine(c.line);
        EXPECT_EQ(r.status, Status::Error) << c.line;
        EXPECT_EQ(r.error, c.error) << c.line;
    }
    EXPECT_EQ(parseCommandLine("-LEZ -T+2 -Eorvane -Ux").options.type, 2);
    EXPECT_EQ(parseCommandLine("-LEZ -T-1 -Eorvane -Ux").options.type, -1);
}

TEST(CommandLine, RefusesNamesThatLeaveTheFolder) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"-LEZ -T1 -E../orvane -Ux", "the -E name \"../orvane\" holds a path separator"},
        {"-LEZ -T1 -Eorvane -U/tmp/x", "the -U name \"/tmp/x\" holds a path separator"},
        {"-LEZ -T1 -Eorvane -Ua\\b", "the -U name \"a\\b\" holds a path separator"},
        {"-LEZ -T1 -Eorvane -U..", "the -U name \"..\" holds \"..\""},
        {"-LEZ -T1 -Eorvane -Ux -R/bin/sh", "the -R name \"/bin/sh\" holds a path separator"},
        {"-LEZ -T1 -Eorvane -Ux -R..x", "the -R name \"..x\" holds \"..\""},
        {"-LEZ -T1 -EC:orvane -Ux", "the -E name \"C:orvane\" names a drive or a stream"},
        {"-LEZ -T1 -E. -Ux", "the -E name \".\" is not a file name"},
    };
    for (const auto& c : cases) {
        const auto r = parseCommandLine(c.line);
        EXPECT_EQ(r.status, Status::Error) << c.line;
        EXPECT_EQ(r.error, c.error) << c.line;
    }
}

// Names that Windows would read as another place, another file or a device;
// refused on every platform, since one manifest serves both.
TEST(CommandLine, RefusesNamesThatWindowsReadsAsSomethingElse) {
    const struct {
        const char* name;
        const char* problem;  // "" when accepted
    } cases[] = {
        {"C:\\Windows\\notepad.exe", "holds a path separator"},
        {"\\\\server\\share\\x.exe", "holds a path separator"},
        {"\\\\?\\C:\\x.exe", "holds a path separator"},
        {"C:x.exe", "names a drive or a stream"},
        {"C:", "names a drive or a stream"},
        {"orvane.exe:hidden", "names a drive or a stream"},
        {"orvane.exe::$DATA", "names a drive or a stream"},
        // Windows drops trailing dots and blanks: "zelUpdate.exe." is the updater.
        {"zelUpdate.exe.", "ends in a dot or a blank"},
        {"orvane.exe ", "ends in a dot or a blank"},
        {"CON", "is a device name"},
        {"con.txt", "is a device name"},
        {"nul .tmp", "is a device name"},
        {"Aux", "is a device name"},
        {"PRN.exe", "is a device name"},
        {"COM1", "is a device name"},
        {"com0.exe", "is a device name"},
        {"LPT9.log", "is a device name"},
        {"COM\xC2\xB9", "is a device name"},  // COM and a superscript one
        {"lpt\xC2\xB3.txt", "is a device name"},
        {"CONIN$", "is a device name"},
        {"conout$.exe", "is a device name"},
        {"a?.exe", "holds a character that file names cannot hold"},
        {"a*", "holds a character that file names cannot hold"},
        {"a<b", "holds a character that file names cannot hold"},
        {"a>b", "holds a character that file names cannot hold"},
        {"a|b", "holds a character that file names cannot hold"},
        {"a\"b", "holds a character that file names cannot hold"},
        {"a\tb", "holds a character that file names cannot hold"},
        {"a\x01", "holds a character that file names cannot hold"},
        {"CONSOLE.exe", ""},
        {"COM10", ""},
        {"LPT", ""},
        {"nul2.tmp", ""},
        {"con_x.exe", ""},
        {"a.con", ""},
        {".hidden", ""},
        {"\xE7\xA8\x8B\xE5\xBA\x8F.exe", ""},  // Chinese in UTF-8
        {"tmp1A.tmp", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zelupdate::nameProblem(c.name), c.problem) << c.name;
    const auto r = parseCommandLine("-LEZ -T1 -Eorvane.exe -Utmp1A.tmp -RCOM1.exe");
    EXPECT_EQ(r.status, Status::Error);
    EXPECT_EQ(r.error, "the -R name \"COM1.exe\" is a device name");
}

TEST(CommandLine, TwoNamesOfOneFileAreOneFile) {
    const auto r = parseCommandLine("-LEZ -T1 -Eorvane.exe -UORVANE~1.EXE");
    ASSERT_EQ(r.status, Status::Ok);
    EXPECT_EQ(zelupdate::conflictProblem(r.options, "zelUpdate.exe"), "");
    // The folder says the short name is the program's.
    const auto oneFile = [](std::string_view a, std::string_view b) {
        return (a == "ORVANE~1.EXE" && b == "orvane.exe") ||
               (b == "ORVANE~1.EXE" && a == "orvane.exe");
    };
    EXPECT_EQ(zelupdate::conflictProblem(r.options, "zelUpdate.exe", oneFile),
              "the -U file is the -E file");
}

TEST(CommandLine, WhatFollowsTheProgramNameOnAWindowsCommandLine) {
    const struct {
        const char* line;
        const char* rest;
    } cases[] = {
        {"zelUpdate.exe -LEZ -T1", "-LEZ -T1"},
        {"\"C:\\Program Files\\Orv\\zelUpdate.exe\" -LEZ -T1", "-LEZ -T1"},
        {"\"C:\\Orv\\zelUpdate.exe\"-LEZ", "-LEZ"},
        {"zelUpdate.exe\t \t-LEZ  -T1 ", "-LEZ  -T1 "},  // the words keep their blanks
        {"zelUpdate.exe", ""},
        {"\"C:\\Orv\\zelUpdate.exe", ""},  // an unclosed quote takes the rest
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zelupdate::afterProgramName(c.line), c.rest) << c.line;
}

TEST(CommandLine, RefusesNamesThatWouldDestroyWhatTheUpdaterNeeds) {
    const struct {
        const char* line;
        const char* error;  // "" when accepted
    } cases[] = {
        {"-LEZ -T1 -Eorvane -Utmp1A.tmp", ""},
        {"-LEZ -T1 -EzelUpdate -Utmp1A.tmp", "the -E file is the updater itself"},
        {"-LEZ -T1 -Eorvane -UZELUPDATE", "the -U file is the updater itself"},
        {"-LEZ -T1 -Eorvane.bak -Utmp1A.tmp", "the -E file would be its own backup"},
        {"-LEZ -T1 -Eorvane -Uorvane", "the -U file is the -E file"},
        {"-LEZ -T1 -Eorvane -Uorvane.bak", "the -U file is the backup of the -E file"},
        {"-LEZ -T1 -Eorvane.exe -Uorvane.bak", "the -U file is the backup of the -E file"},
        {"-LEZ -T1 -Eorvane -Utmp1A.tmp -RzelUpdate", "the -R file is the updater itself"},
        // Regression: the backup is an updater too; -P words of the
        // manifest's choosing made it run a second update on any file.
        {"-LEZ -T1 -Eorvane -Utmp1A.tmp -RzelUpdate.bak", "the -R file is the updater's backup"},
        {"-LEZ -T2 -Eorvane -Upatch.tmp -RZELUPDATE.BAK", "the -R file is the updater's backup"},
        {"-LEZ -T1 -Eorvane -Utmp1A.tmp -Rorvane.bak", ""},
        {"-LEZ -T2 -Eorvane -Usetup.exe", "the -U file would be copied onto itself"},
        {"-LEZ -T2 -Eorvane.exe -Uorvane.tmp", "the -U file would be copied onto the -E file"},
        {"-LEZ -T2 -Eorvane -Upatch.tmp", ""},
        // Mode 1 never copies to the package program's name.
        {"-LEZ -T1 -Eorvane -Usetup.exe", ""},
    };
    for (const auto& c : cases) {
        const auto r = parseCommandLine(c.line);
        ASSERT_EQ(r.status, Status::Ok) << c.line;
        EXPECT_EQ(zelupdate::conflictProblem(r.options, "zelUpdate"), c.error) << c.line;
    }
}

TEST(CommandLine, DerivedNamesWithAndWithoutAThreeLetterExtension) {
    EXPECT_EQ(orv::derivedName("orvane.exe", "bak"), "orvane.bak");
    EXPECT_EQ(orv::derivedName("tmp1A.tmp", "exe"), "tmp1A.exe");
    EXPECT_EQ(orv::derivedName("orvane", "bak"), "orvane.bak");
    EXPECT_EQ(orv::derivedName("zelUpdate", "bak"), "zelUpdate.bak");
    EXPECT_EQ(orv::derivedName("a.b.c", "bak"), "a.b.c.bak");
    EXPECT_EQ(orv::derivedName(".exe", "bak"), ".exe.bak");
}

}  // namespace
