// The start-up install of a pending updater ("aup.001" and "aup.002").
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "base/AppLog.h"
#include "fakes.h"
#include "tempdir.h"
#include "update/Digests.h"
#include "update/UpdateAUP.h"

namespace {

namespace fs = std::filesystem;

class PendingUpdater : public ::testing::Test {
protected:
    PendingUpdater() : folder(QString::fromStdString(dir.path().string())) {
        orvtest::writeFile(dir.file("zelUpdate"), "old updater");
        fs::permissions(dir.file("zelUpdate"), fs::perms(0755));
        newUpdater = std::string(5000, 'U');
        orvtest::writeFile(dir.file("aup.001"), newUpdater);
        digests = orv::digestsOf(QByteArray::fromStdString(newUpdater));
    }
    void describe(const QString& md5, const QString& sha1, const QString& sha256 = QString()) {
        std::string text =
            "[Setting]\r\nMD5=" + md5.toStdString() + "\r\nSHA1=" + sha1.toStdString() + "\r\n";
        if (!sha256.isNull()) text += "SHA256=" + sha256.toStdString() + "\r\n";
        orvtest::writeFile(dir.file("aup.002"), text);
    }
    // The log lines UpdateAUP wrote (after the start line).
    std::vector<std::string> run() {
        fs::remove_all(dir.path() / "Log");
        {
            orv::AppLog log(folder, clock);
            orv::UpdateAUP(folder, log, waiter);
        }
        std::vector<std::string> lines;
        const std::string all = orvtest::readFile(dir.file("Log/Log20120303.txt"));
        for (std::size_t at = 0; at < all.size();) {
            const std::size_t end = all.find("\r\n", at);
            lines.push_back(all.substr(at + 20, end - at - 20));
            at = end + 2;
        }
        // Start and end lines of the log itself.
        return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
    }
    bool pendingStays() const {
        return fs::exists(dir.file("aup.001")) && fs::exists(dir.file("aup.002"));
    }

    orvtest::TempDir dir;
    QString folder;
    orvtest::FakeClock clock;
    orvtest::FakeWaiter waiter;
    std::string newUpdater;
    orv::Digests digests;
};

TEST_F(PendingUpdater, NothingPendingDoesNothing) {
    fs::remove(dir.file("aup.001"));
    EXPECT_TRUE(run().empty());
    EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate")), "old updater");
}

TEST_F(PendingUpdater, WithoutDigestsBothFilesStay) {
    describe("", "");
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(pendingStays());
    fs::remove(dir.file("aup.002"));
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(fs::exists(dir.file("aup.001")));
}

TEST_F(PendingUpdater, AShortFileStaysForALaterStart) {
    const std::string shortFile(999, 'U');
    orvtest::writeFile(dir.file("aup.001"), shortFile);
    describe(orv::digestsOf(QByteArray::fromStdString(shortFile)).MD5, "");
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(pendingStays());
    EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate")), "old updater");
}

TEST_F(PendingUpdater, ADigestMismatchDeletesBothFiles) {
    const struct {
        QString md5, sha1, sha256;
        const char* line;
    } cases[] = {
        {"00", digests.SHA1, QString(), "UpdateAUP: MD5 Error"},
        {digests.MD5, "00", QString(), "UpdateAUP: SHA1 Error"},
        {"", "00", QString(), "UpdateAUP: SHA1 Error"},
        {digests.MD5, digests.SHA1, "00", "UpdateAUP: SHA256 Error"},
        {"", "", "00", "UpdateAUP: SHA256 Error"},
    };
    for (const auto& c : cases) {
        orvtest::writeFile(dir.file("aup.001"), newUpdater);
        describe(c.md5, c.sha1, c.sha256);
        EXPECT_EQ(run(), (std::vector<std::string>{c.line})) << c.line;
        EXPECT_FALSE(fs::exists(dir.file("aup.001")));
        EXPECT_FALSE(fs::exists(dir.file("aup.002")));
        EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate")), "old updater");
    }
}

TEST_F(PendingUpdater, InstallsWithABackupAndLogsOK) {
    // The expected digests are upper-cased first.
    describe(digests.MD5.toLower(), digests.SHA1.toLower(), digests.SHA256.toLower());
    EXPECT_EQ(run(), (std::vector<std::string>{"UpdateAUP: OK"}));
    EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate")), newUpdater);
    EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate.bak")), "old updater");
    EXPECT_FALSE(fs::exists(dir.file("aup.001")));
    EXPECT_FALSE(fs::exists(dir.file("aup.002")));
    EXPECT_EQ(fs::status(dir.file("zelUpdate")).permissions(), fs::perms(0755));
    EXPECT_EQ(waiter.waits, (std::vector<double>{1}));
}

TEST_F(PendingUpdater, InstallsTheFirstUpdaterExecutable) {
    fs::remove(dir.file("zelUpdate"));
    fs::permissions(dir.file("aup.001"), fs::perms(0644));
    describe("", digests.SHA1);
    EXPECT_EQ(run(), (std::vector<std::string>{"UpdateAUP: OK"}));
    EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate")), newUpdater);
    EXPECT_FALSE(fs::exists(dir.file("zelUpdate.bak")));
    EXPECT_EQ(fs::status(dir.file("zelUpdate")).permissions(), fs::perms(0755));
}

TEST_F(PendingUpdater, AFailureOnTheWayKeepsTheOldUpdater) {
    // A backup that cannot be written: a folder stands in its place.
    fs::create_directories(dir.path() / "zelUpdate.bak" / "inside");
    describe(digests.MD5, digests.SHA1);
    const auto lines = run();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("UpdateAUP:", 0), 0u);
    EXPECT_GT(lines[0].size(), std::string("UpdateAUP:").size());
    EXPECT_NE(lines[0], "UpdateAUP: OK");
    EXPECT_EQ(orvtest::readFile(dir.file("zelUpdate")), "old updater");
    EXPECT_TRUE(pendingStays());
}

}  // namespace
