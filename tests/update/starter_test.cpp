// The seam that starts the updater, with a real program: detached, in its
// own folder, its standard streams going nowhere.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "qtprint.h"
#include "tempdir.h"
#include "update/UpdateHost.h"
#include "zellib.h"

namespace {

namespace fs = std::filesystem;

TEST(DetachedStarter, StartsTheProgramInItsFolderWithItsWords) {
    orvtest::TempDir dir;
    fs::copy_file(fs::path(orvtest::binDir()) / "orv_standin", dir.path() / "zelUpdate");
    orv::DetachedStarter starter;
    QString error;
    ASSERT_TRUE(starter.start(QString::fromStdString(dir.file("zelUpdate")),
                              {"-LEZ", "-T1", "-Eorvane", "-Utmp1A.tmp"}, &error))
        << error.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(dir.file("zelUpdate.ran")); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return orvtest::readFile(dir.file("zelUpdate.ran")).find('\n') != std::string::npos;
        },
        10000));
    const std::string run = orvtest::readFile(dir.file("zelUpdate.ran"));
    EXPECT_NE(run.find("args=-LEZ|-T1|-Eorvane|-Utmp1A.tmp "), std::string::npos) << run;
    EXPECT_NE(run.find("stdio=null"), std::string::npos) << run;
    EXPECT_NE(run.find("cwd=" + fs::canonical(dir.path()).string()), std::string::npos) << run;
}

TEST(DetachedStarter, AMissingProgramIsAFailureWithAReason) {
    orvtest::TempDir dir;
    orv::DetachedStarter starter;
    QString error;
    EXPECT_FALSE(starter.start(QString::fromStdString(dir.file("zelUpdate")), {}, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
