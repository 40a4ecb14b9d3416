#include <gtest/gtest.h>

#include <filesystem>

#include "base/AppLog.h"
#include "base/Text.h"
#include "fakes.h"
#include "orv/logfile.h"
#include "tempdir.h"

namespace {

using orv::LogFile;

// The separator the log puts between its folder and the file's name.
constexpr char kSep = static_cast<char>(std::filesystem::path::preferred_separator);

// One table for both variants: the updater has its own copy of nothing.
struct Format {
    LogFile::Variant variant;
    const char* prefix;
    const char* start;
    const char* end;
};
const Format kFormats[] = {
    {LogFile::Variant::Program, "Log", "=============== Start V1.0.12===============",
     "===============  End  V1.0.12==============="},
    {LogFile::Variant::Updater, "aup", "==================== Start ====================",
     "====================  End  ===================="},
};

TEST(LogFile, StartAndEndLinesOfBothVariants) {
    for (const Format& f : kFormats) {
        orvtest::TempDir dir;
        orvtest::FakeClock clock;
        clock.t = {2011, 7, 1, 9, 30, 5};
        {
            LogFile log(dir.path().string(), f.variant, "1.0.12", clock);
            clock.t.second = 6;
            log.log("hello");
            log.log("");
        }
        const std::string path = dir.file(std::string("Log/") + f.prefix + "20110701.txt");
        EXPECT_EQ(orvtest::readFile(path),
                  std::string("2011-07-01 09:30:05 ") + f.start + "\r\n" +
                      "2011-07-01 09:30:06 hello\r\n2011-07-01 09:30:06 \r\n" +
                      "2011-07-01 09:30:06 " + f.end + "\r\n");
    }
}

TEST(LogFile, FirstLineAfterMidnightGoesToTheNextDaysFile) {
    for (const Format& f : kFormats) {
        orvtest::TempDir dir;
        orvtest::FakeClock clock;
        clock.t = {2011, 12, 31, 23, 59, 59};
        LogFile log(dir.path().string() + "/", f.variant, "1.0.12", clock);
        clock.t = {2012, 1, 1, 0, 0, 0};
        log.log("after");
        const std::string day1 = dir.file(std::string("Log/") + f.prefix + "20111231.txt");
        const std::string day2 = dir.file(std::string("Log/") + f.prefix + "20120101.txt");
        // The folder as given, then no doubled separator.
        EXPECT_EQ(log.logFile().string(),
                  dir.path().string() + "/Log" + kSep + f.prefix + "20120101.txt");
        EXPECT_NE(orvtest::readFile(day1).find("Start"), std::string::npos);
        EXPECT_EQ(orvtest::readFile(day2), "2012-01-01 00:00:00 after\r\n");
    }
}

TEST(LogFile, ChosenFileIsUsedUntilTheDateChanges) {
    orvtest::TempDir dir;
    orvtest::FakeClock clock;
    LogFile log(dir.path().string(), LogFile::Variant::Program, "1.0.0", clock);
    const std::string other = dir.file("other.txt");
    EXPECT_TRUE(log.setLogFile(other));
    EXPECT_TRUE(std::filesystem::exists(other));
    log.log("x");
    EXPECT_EQ(orvtest::readFile(other), "2012-03-03 09:30:05 x\r\n");
    clock.t.day = 4;
    log.log("y");
    EXPECT_EQ(log.logFile().string(),
              dir.path().string() + kSep + "Log" + kSep + "Log20120304.txt");
}

TEST(LogFile, UnwritableFolderIsReportedNotThrown) {
    orvtest::TempDir dir;
    orvtest::writeFile(dir.file("Log"), "a file where the folder should be");
    LogFile log(dir.path().string(), LogFile::Variant::Program, "1.0.0");
    EXPECT_FALSE(log.ok());
    EXPECT_FALSE(log.log("lost"));
}

TEST(AppLog, WritesGbkWithTheBuildVersion) {
    orvtest::TempDir dir;
    orvtest::FakeClock clock;
    {
        orv::AppLog log(QString::fromStdString(dir.path().string()), clock);
        log.Log(QStringLiteral("[05,023]收到数据"));
    }
    const std::string text = orvtest::readFile(dir.file("Log/Log20120303.txt"));
    EXPECT_NE(text.find(" Start V" + orv::AppLog::version().toStdString() + "==="),
              std::string::npos);
    EXPECT_NE(text.find(orv::toGbk(QStringLiteral("[05,023]收到数据")).toStdString()),
              std::string::npos);
    EXPECT_NE(text.find("  End  V"), std::string::npos);
}

}  // namespace
