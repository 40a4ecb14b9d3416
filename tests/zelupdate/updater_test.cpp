// The updater's steps with a platform that the test drives: the wait and
// its bound without real time, which processes hold the update up, and the
// file steps that fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "Updater.h"
#include "fakeclock.h"
#include "orv/fileinstall.h"
#include "tempdir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zelupdate::Files;
using zelupdate::ProcessEntry;
using zelupdate::StartResult;

class FakePlatform : public zelupdate::Platform {
public:
    // What listProcesses returns on each call; the last one repeats.
    std::vector<std::vector<ProcessEntry>> lists{{}};
    std::size_t listed = 0;
    std::vector<std::chrono::milliseconds> sleeps;
    struct Started {
        fs::path program;
        std::vector<std::string> args;
    };
    std::vector<Started> started;
    std::vector<long long> waited;
    bool startFails = false;
    std::chrono::steady_clock::time_point clock{};

    std::vector<ProcessEntry> listProcesses() override {
        return lists[std::min(listed++, lists.size() - 1)];
    }
    StartResult start(const fs::path& program, const std::vector<std::string>& args) override {
        started.push_back({program, args});
        if (startFails) return {false, 0, "No such file or directory"};
        return {true, 4242, {}};
    }
    long long openProcess(long long id) override { return id == 4242 ? 7 : 0; }
    void waitAndClose(long long handle) override { waited.push_back(handle); }
    void sleep(std::chrono::milliseconds d) override {
        sleeps.push_back(d);
        clock += d;
    }
    std::chrono::steady_clock::time_point now() override { return clock; }
};

// The real file operations, but the install of one target can be made to
// fail, optionally after removing the target as a platform without an
// atomic replace might.
class FailingFiles : public Files {
public:
    fs::path failInstallTo;
    bool removeTargetFirst = false;
    bool failCopy = false;
    int installs = 0;
    bool install(const fs::path& from, const fs::path& to, std::string& error) override {
        ++installs;
        if (to == failInstallTo && installs == 1) {
            std::error_code ec;
            if (removeTargetFirst) fs::remove(to, ec);
            error = "No space left on device";
            return false;
        }
        return Files::install(from, to, error);
    }
    bool copy(const fs::path& from, const fs::path& to, std::string& error) override {
        if (failCopy) {
            error = "Permission denied";
            return false;
        }
        return Files::copy(from, to, error);
    }
};

class UpdaterSteps : public ::testing::Test {
protected:
    UpdaterSteps() {
        orvtest::writeFile(dir.file("orvane"), "old program");
        orvtest::writeFile(dir.file("tmp1A.tmp"), "new program");
        orvtest::writeFile(dir.file("zelUpdate"), "updater");
    }
    // Runs a command line; the log's lines without their timestamps.
    std::vector<std::string> run(const std::string& line, Files& files,
                                 zelupdate::Timing timing = {}) {
        zelupdate::runCommandLine(line, platform, files, dir.path() / "zelUpdate", timing, clock);
        std::vector<std::string> lines;
        std::string all = orvtest::readFile(dir.file("Log/aup20120303.txt"));
        for (std::size_t at = 0; at < all.size();) {
            const std::size_t end = all.find("\r\n", at);
            lines.push_back(all.substr(at + 20, end - at - 20));
            at = end + 2;
        }
        return lines;
    }
    ProcessEntry program(const fs::path& folder) const {
        return {"orvane", folder / "orvane", 100};
    }

    orvtest::TempDir dir;
    orvtest::FakeClock clock;
    FakePlatform platform;
    Files files;
};

const std::string kStart = "==================== Start ====================";
const std::string kEnd = "====================  End  ====================";

TEST_F(UpdaterSteps, PollsEveryPauseAndGivesUpAtTheBoundWithoutChangingAnything) {
    platform.lists = {{{"init", "/sbin/init", 1}, program(dir.path())}};
    const auto lines = run("-LEZ -T1 -Eorvane -Utmp1A.tmp", files);
    EXPECT_EQ(
        lines,
        (std::vector<std::string>{
            kStart, "Error:orvane is still running after 600 seconds; nothing was changed", kEnd}));
    ASSERT_EQ(platform.sleeps.size(), 3000u);
    for (auto s : platform.sleeps)
        ASSERT_EQ(s, 200ms);
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "old program");
    EXPECT_TRUE(fs::exists(dir.file("tmp1A.tmp")));
    EXPECT_FALSE(fs::exists(dir.file("orvane.bak")));
    EXPECT_TRUE(platform.started.empty());
}

TEST_F(UpdaterSteps, GoesOnOnceTheProgramHasEnded) {
    platform.lists = {{program(dir.path())}, {program(dir.path())}, {{"bash", "/bin/bash", 5}}};
    run("-LEZ -T1 -Eorvane -Utmp1A.tmp", files);
    EXPECT_EQ(platform.sleeps.size(), 2u);
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "new program");
}

TEST_F(UpdaterSteps, OnlyTheProgramOfThisFolderHoldsTheUpdateUp) {
    orvtest::TempDir other;
    // The same name elsewhere, a longer name, another case: not ours. A
    // process whose path the system does not tell is taken to be ours.
    platform.lists = {{program(other.path()),
                       {"orvane2", dir.path() / "orvane2", 2},
                       {"Orvane", dir.path() / "Orvane", 3}}};
    run("-LEZ -T1 -Eorvane -Utmp1A.tmp", files);
    EXPECT_TRUE(platform.sleeps.empty());
    platform = FakePlatform();
    platform.lists = {{{"orvane", {}, 9}}, {}};
    orvtest::writeFile(dir.file("tmp1A.tmp"), "newer program");
    run("-LEZ -T1 -Eorvane -Utmp1A.tmp", files);
    EXPECT_EQ(platform.sleeps.size(), 1u);
}

// Regression: another user's orvane, whose path cannot be read, held every
// update up for ten minutes at each start.
TEST_F(UpdaterSteps, AnotherUsersProgramDoesNotHoldTheUpdateUp) {
    ProcessEntry foreign{"orvane", {}, 9};
    foreign.otherUser = true;
    platform.lists = {{foreign}};
    run("-LEZ -T1 -Eorvane -Utmp1A.tmp", files);
    EXPECT_TRUE(platform.sleeps.empty());
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "new program");
}

// Regression: installCopy renamed the new file without syncing it first; a
// power cut could leave an empty program.
TEST(FileInstall, TheNewFileIsOnTheDiskBeforeTheRename) {
    orvtest::TempDir dir;
    orvtest::writeFile(dir.file("prog"), "old");
    orvtest::writeFile(dir.file("pkg"), "new program");
    std::vector<std::string> synced;
    const auto sync = [&](const fs::path& p, std::error_code& ec) {
        // The target still holds the old program; the copy is whole.
        if (p == orv::installTempName(dir.path() / "prog")) {
            EXPECT_EQ(orvtest::readFile(dir.file("prog")), "old");
            EXPECT_EQ(orvtest::readFile(p.string()), "new program");
        }
        synced.push_back(p.filename().string());
        return orv::syncFile(p, ec);
    };
    std::error_code ec;
    ASSERT_TRUE(orv::installCopy(dir.path() / "pkg", dir.path() / "prog", ec, sync));
    EXPECT_EQ(synced, (std::vector<std::string>{"prog.new", dir.path().filename().string()}));
    EXPECT_EQ(orvtest::readFile(dir.file("prog")), "new program");

    // A copy that cannot be synced is not put in place.
    const auto failing = [](const fs::path&, std::error_code& e) {
        e = std::make_error_code(std::errc::io_error);
        return false;
    };
    orvtest::writeFile(dir.file("pkg"), "newer");
    EXPECT_FALSE(orv::installCopy(dir.path() / "pkg", dir.path() / "prog", ec, failing));
    EXPECT_EQ(ec, std::make_error_code(std::errc::io_error));
    EXPECT_EQ(orvtest::readFile(dir.file("prog")), "new program");
    EXPECT_FALSE(fs::exists(orv::installTempName(dir.path() / "prog")));
}

// The system may spell the folder of a running program otherwise than the
// updater's own path does (through a link here; another case or a short name
// on Windows): it is still this folder.
TEST_F(UpdaterSteps, TheProgramRunningFromAnotherSpellingOfTheFolderHoldsTheUpdateUp) {
    orvtest::TempDir other;
    fs::create_directory_symlink(dir.path(), other.path() / "same");
    platform.lists = {{program(other.path() / "same")}, {program(other.path() / "same")}, {}};
    run("-LEZ -T1 -Eorvane -Utmp1A.tmp", files);
    EXPECT_EQ(platform.sleeps.size(), 2u);
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "new program");
}

TEST_F(UpdaterSteps, AFailedReplacementRestoresTheBackupAndKeepsThePackage) {
    FailingFiles failing;
    failing.failInstallTo = dir.path() / "orvane";
    failing.removeTargetFirst = true;
    const auto lines = run("-LEZ -T1 -Eorvane -Utmp1A.tmp", failing);
    EXPECT_EQ(lines, (std::vector<std::string>{kStart, "[01,002] No space left on device",
                                               "[01,002] Restored orvane from orvane.bak",
                                               "[01,003] Kept tmp1A.tmp", "[01,005] OK", kEnd}));
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "old program");
    EXPECT_EQ(orvtest::readFile(dir.file("tmp1A.tmp")), "new program");
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0].program, dir.path() / "orvane");
}

TEST_F(UpdaterSteps, AFailedReplacementThatLeftTheProgramKeepsIt) {
    FailingFiles failing;
    failing.failInstallTo = dir.path() / "orvane";
    const auto lines = run("-LEZ -T1 -Eorvane -Utmp1A.tmp -R-", failing);
    EXPECT_EQ(lines, (std::vector<std::string>{kStart, "[01,002] No space left on device",
                                               "[01,003] Kept tmp1A.tmp", "[01,006] OK", kEnd}));
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "old program");
}

TEST_F(UpdaterSteps, AFailedBackupIsLoggedAndTheUpdateGoesOn) {
    FailingFiles failing;
    failing.failCopy = true;
    orvtest::writeFile(dir.file("orvane.bak"), "older backup");
    const auto lines = run("-LEZ -T1 -Eorvane -Utmp1A.tmp", failing);
    EXPECT_EQ(lines, (std::vector<std::string>{kStart, "[00,002] Permission denied", "[01,005] OK",
                                               kEnd}));
    EXPECT_FALSE(fs::exists(dir.file("orvane.bak")));  // the old one went first
    EXPECT_EQ(orvtest::readFile(dir.file("orvane")), "new program");
}

TEST_F(UpdaterSteps, AFailedCopyOfThePackageProgramKeepsThePackage) {
    FailingFiles failing;
    failing.failInstallTo = dir.path() / "tmp1A.exe";
    platform.startFails = true;
    const auto lines = run("-LEZ -T2 -Eorvane -Utmp1A.tmp", failing);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         kStart, "[02,001] No space left on device", "[02,002] Kept tmp1A.tmp",
                         "[02,003] To Run ", "[02,003] No such file or directory",
                         "[02,004] OpenProcess = 0", "[02,005] No such file or directory",
                         "[02,006] No such file or directory", kEnd}));
    EXPECT_TRUE(fs::exists(dir.file("tmp1A.tmp")));
    EXPECT_EQ(platform.sleeps, (std::vector<std::chrono::milliseconds>{1000ms}));
}

TEST_F(UpdaterSteps, ModeTwoWaitsThroughTheHandleAndStartsTheProgramWithoutParams) {
    const auto lines = run("-LEZ -T2 -Eorvane -Utmp1A.tmp -P[/s$/q]", files);
    EXPECT_EQ(lines, (std::vector<std::string>{kStart, "[02,003] To Run ",
                                               "[02,004] OpenProcess = 7", "[02,007] OK", kEnd}));
    EXPECT_EQ(platform.waited, (std::vector<long long>{7}));
    ASSERT_EQ(platform.started.size(), 2u);
    EXPECT_EQ(platform.started[0].program, dir.path() / "tmp1A.exe");
    EXPECT_EQ(platform.started[0].args, (std::vector<std::string>{"/s", "/q"}));
    EXPECT_EQ(platform.started[1].program, dir.path() / "orvane");
    EXPECT_TRUE(platform.started[1].args.empty());
}

TEST(UpdaterTiming, ShorterValuesOnly) {
    const auto t = zelupdate::timingFrom("10,500,0");
    EXPECT_EQ(t.pollPause, 10ms);
    EXPECT_EQ(t.waitLimit, 500ms);
    EXPECT_EQ(t.settle, 0ms);
    for (const char* bad :
         {"", "10,500", "10,500,0,1", "x,1,1", "10,9999999,0", "-1,1,1", "1,,1"}) {
        const auto d = zelupdate::timingFrom(bad);
        EXPECT_EQ(d.pollPause, 200ms) << bad;
        EXPECT_EQ(d.waitLimit, 600000ms) << bad;
        EXPECT_EQ(d.settle, 1000ms) << bad;
    }
}

TEST(UpdaterParams, SplitAtBlanks) {
    EXPECT_EQ(zelupdate::splitParams(" /s /q"), (std::vector<std::string>{"/s", "/q"}));
    EXPECT_EQ(zelupdate::splitParams(" "), (std::vector<std::string>{}));
    EXPECT_EQ(zelupdate::splitParams("  a  b "), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
