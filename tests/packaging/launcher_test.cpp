// The package's launcher against an installed folder of its own: a prefix
// in a temp folder with the launcher in bin/ and stand-in program files in
// lib/orvane/, the stand-in program answering --version like the real one
// and recording where and how it was started.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "tempdir.h"

namespace {

namespace fs = std::filesystem;
using orvtest::readFile;
using orvtest::writeFile;

// A program folder's program: answers its version, else records its folder
// and arguments.
void writeProgram(const fs::path& folder, const std::string& version) {
    fs::create_directories(folder);
    const fs::path program = folder / "orvane";
    writeFile(program.string(),
              "#!/bin/sh\n"
              "if [ \"$1\" = --version ]; then echo " +
                  version +
                  "; exit 0; fi\n"
                  "{ echo \"version=" +
                  version +
                  "\"; echo \"folder=$(cd \"$(dirname \"$0\")\" && pwd -P)\"; "
                  "for a in \"$@\"; do echo \"arg=$a\"; done; } > \"$ORV_RECORD\"\n");
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root_.path() / "prefix/bin");
        fs::copy_file(ORV_LAUNCHER, root_.path() / "prefix/bin/orvane");
        fs::create_directories(home());
        install("1.0.0", "one");
    }

    fs::path installed() const { return root_.path() / "prefix/lib/orvane"; }
    fs::path home() const { return root_.path() / "home"; }
    fs::path user() const { return home() / ".local/share/orvane"; }
    std::string record() const { return root_.file("record"); }

    // The package's program folder at `version`; `tag` marks its files.
    void install(const std::string& version, const std::string& tag) {
        fs::remove_all(installed());
        writeProgram(installed(), version);
        writeFile((installed() / "libzelreader.so").string(), "library " + tag);
        writeFile((installed() / "zelUpdate").string(), "updater " + tag);
        writeFile((installed() / "zelSC.dll").string(), "reading clip " + tag);
        writeFile((installed() / "zelSCC.dll").string(), "writing clip " + tag);
        writeFile((installed() / "orv.db").string(), "empty records " + tag);
        fs::create_directories(installed() / "help");
        writeFile((installed() / "help/page.svg").string(), "picture " + tag);
    }

    struct Result {
        int exitCode = -1;
        std::string error;
    };
    Result run(const QStringList& arguments = {}, const QString& xdgDataHome = {}) {
        fs::remove(record());
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", QString::fromStdString(home().string()));
        env.insert("ORV_RECORD", QString::fromStdString(record()));
        if (!xdgDataHome.isNull()) env.insert("XDG_DATA_HOME", xdgDataHome);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString::fromStdString((root_.path() / "prefix/bin/orvane").string()), arguments);
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), p.readAllStandardError().toStdString()};
    }

    // The files of the installed folder, as in the user's folder.
    void expectProgramFilesOf(const std::string& tag, const std::string& version) {
        EXPECT_EQ(readFile((user() / "libzelreader.so").string()), "library " + tag);
        EXPECT_EQ(readFile((user() / "zelUpdate").string()), "updater " + tag);
        EXPECT_EQ(readFile((user() / "zelSC.dll").string()), "reading clip " + tag);
        EXPECT_EQ(readFile((user() / "zelSCC.dll").string()), "writing clip " + tag);
        EXPECT_EQ(readFile((user() / "help/page.svg").string()), "picture " + tag);
        EXPECT_EQ(readFile((user() / "orvane").string()),
                  readFile((installed() / "orvane").string()))
            << "expected the program of " << version;
    }

    orvtest::TempDir root_;
};

TEST_F(Launcher, FirstStartLaysOutTheUsersFolderAndStartsTheProgramThere) {
    const Result r = run({"two words", "-x"});
    ASSERT_EQ(r.exitCode, 0) << r.error;
    expectProgramFilesOf("one", "1.0.0");
    EXPECT_EQ(readFile((user() / "orv.db").string()), "empty records one");
    EXPECT_EQ(readFile(record()), "version=1.0.0\nfolder=" + fs::canonical(user()).string() +
                                      "\narg=two words\narg=-x\n");
    // The records and the settings are the user's alone.
    EXPECT_EQ(fs::status(user()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(user() / "orvane.new"));
}

TEST_F(Launcher, XdgDataHomeNamesTheFolderUnlessItIsRelative) {
    const fs::path data = root_.path() / "data";
    ASSERT_EQ(run({}, QString::fromStdString(data.string())).exitCode, 0);
    EXPECT_TRUE(fs::exists(data / "orvane/orvane"));
    EXPECT_FALSE(fs::exists(user()));

    ASSERT_EQ(run({}, "relative/data").exitCode, 0);
    EXPECT_TRUE(fs::exists(user() / "orvane"));
}

TEST_F(Launcher, UpgradeRefreshesTheProgramFilesAndKeepsTheUsersOwn) {
    ASSERT_EQ(run().exitCode, 0);
    writeFile((user() / "orv.db").string(), "the user's records");
    writeFile((user() / "zelReader.ini").string(), "[SYSTEM]\r\nPORT=9000\r\n");
    fs::create_directories(user() / "Log");
    writeFile((user() / "Log/Log20240101.txt").string(), "a day's log");
    writeFile((user() / "orvane.bak").string(), "the updater's backup");

    install("1.0.1", "two");
    writeFile((installed() / "zelORV.html").string(), "manual two");
    const Result r = run();
    ASSERT_EQ(r.exitCode, 0) << r.error;
    expectProgramFilesOf("two", "1.0.1");
    EXPECT_EQ(readFile((user() / "zelORV.html").string()), "manual two");
    EXPECT_EQ(readFile(record()).substr(0, 14), "version=1.0.1\n");
    EXPECT_EQ(readFile((user() / "orv.db").string()), "the user's records");
    EXPECT_EQ(readFile((user() / "zelReader.ini").string()), "[SYSTEM]\r\nPORT=9000\r\n");
    EXPECT_EQ(readFile((user() / "Log/Log20240101.txt").string()), "a day's log");
    EXPECT_EQ(readFile((user() / "orvane.bak").string()), "the updater's backup");
}

TEST_F(Launcher, InstalledSettingsOrLogAreNeverCopied) {
    writeFile((installed() / "zelReader.ini").string(), "installed settings");
    fs::create_directories(installed() / "Log");
    writeFile((installed() / "Log/Log20240101.txt").string(), "installed log");
    ASSERT_EQ(run().exitCode, 0);
    EXPECT_FALSE(fs::exists(user() / "zelReader.ini"));
    EXPECT_FALSE(fs::exists(user() / "Log"));
}

TEST_F(Launcher, SelfUpdatedNewerCopyIsLeftAloneButMissingFilesComeBack) {
    ASSERT_EQ(run().exitCode, 0);
    // The program updated itself past the package.
    writeProgram(user(), "1.2.0");
    writeFile((user() / "libzelreader.so").string(), "library of the update");
    fs::remove(user() / "zelSCC.dll");

    install("1.1.0", "three");
    const Result r = run();
    ASSERT_EQ(r.exitCode, 0) << r.error;
    EXPECT_EQ(readFile(record()).substr(0, 14), "version=1.2.0\n");
    EXPECT_EQ(readFile((user() / "libzelreader.so").string()), "library of the update");
    EXPECT_EQ(readFile((user() / "zelSC.dll").string()), "reading clip one");
    EXPECT_EQ(readFile((user() / "zelSCC.dll").string()), "writing clip three");
}

TEST_F(Launcher, VersionsCompareAsNumbersPartByPart) {
    struct Case {
        const char* user;
        const char* installed;
        bool refreshed;
    };
    for (const Case& c : {Case{"1.9.0", "1.10.0", true}, Case{"1.10.0", "1.9.9", false},
                          Case{"1.0.9", "1.1.0", true}, Case{"2.0.0", "1.99.99", false},
                          Case{"1.0.0", "1.0.0", false}, Case{"1.0.0", "1.0.1", true}}) {
        SCOPED_TRACE(std::string(c.user) + " against " + c.installed);
        ASSERT_EQ(run().exitCode, 0);
        writeProgram(user(), c.user);
        writeFile((user() / "zelSC.dll").string(), "the user's clip");
        install(c.installed, "next");
        ASSERT_EQ(run().exitCode, 0);
        EXPECT_EQ(readFile((user() / "zelSC.dll").string()),
                  c.refreshed ? "reading clip next" : "the user's clip");
        fs::remove_all(home());
        fs::create_directories(home());
        install("1.0.0", "one");
    }
}

TEST_F(Launcher, UserProgramThatDoesNotRunIsReplaced) {
    ASSERT_EQ(run().exitCode, 0);
    writeFile((user() / "orvane").string(), "cut short");
    writeFile((user() / "zelSC.dll").string(), "the user's clip");
    const Result r = run();
    ASSERT_EQ(r.exitCode, 0) << r.error;
    expectProgramFilesOf("one", "1.0.0");
    EXPECT_EQ(readFile(record()).substr(0, 14), "version=1.0.0\n");
}

TEST_F(Launcher, FolderThatCannotBeMadeStopsWithAMessage) {
    writeFile(root_.file("plain-file"), "");
    const Result r = run({}, QString::fromStdString(root_.file("plain-file")));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.error.find("orvane: 无法建立"), std::string::npos) << r.error;
    EXPECT_FALSE(fs::exists(record()));
}

TEST_F(Launcher, InstalledProgramThatDoesNotRunStopsWithAMessage) {
    writeFile((installed() / "orvane").string(), "not a program");
    const Result r = run();
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.error.find("无法运行"), std::string::npos) << r.error;
    EXPECT_FALSE(fs::exists(user() / "libzelreader.so"));
}

}  // namespace
