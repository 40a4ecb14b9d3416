#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "base/ProgramFolder.h"
#include "base/Settings.h"
#include "base/TempFile.h"
#include "nopermission.h"
#include "onwindows.h"
#include "tempdir.h"

namespace {

using orv::IniFile;

class SettingsTest : public ::testing::Test {
protected:
    IniFile ini() const { return IniFile(QString::fromStdString(dir_.file("zelReader.ini"))); }
    void write(const std::string& text) { orvtest::writeFile(dir_.file("zelReader.ini"), text); }
    orvtest::TempDir dir_;
    int listed_ = 0;
    orv::ReaderLister readers(QStringList names) {
        return [this, names] {
            ++listed_;
            return names;
        };
    }
};

TEST_F(SettingsTest, MissingFileGivesEveryDefaultAndWritesNothing) {
    const orv::SystemSettings s = orv::LoadSettings(ini(), readers({}));
    EXPECT_EQ(s.READER, "USB");
    EXPECT_EQ(s.IP, "127.0.0.1");
    EXPECT_EQ(s.PORT, "8085");
    EXPECT_EQ(s.ConnOverTime, 60);
    EXPECT_EQ(s.EchoOverTime, 300);
    EXPECT_FALSE(s.DETAILEDLOG);
    EXPECT_TRUE(s.UPDATE.endsWith("/product/download/qvn/"));
    EXPECT_TRUE(s.AUTOUPDATE.endsWith("/qvn/zel_orv.aup"));
    EXPECT_TRUE(s.INVOICE1.endsWith(":99/zwjb/skfpcx.jsp"));
    EXPECT_TRUE(s.INVOICE2.endsWith(":99/zwjb/zzsptfpcx.jsp"));
    EXPECT_TRUE(s.INVOICE3.endsWith(":99/zwjb/tydkfpcx.jsp"));
    EXPECT_TRUE(s.INVOICE4.endsWith(":99/zwjb/qtptfpcx.jsp"));
    for (const QString& url : {s.UPDATE, s.INVOICE1})
        EXPECT_TRUE(url.startsWith("http://") && url.contains(".invalid")) << url.toStdString();
    // The manifest comes signed, over https.
    EXPECT_TRUE(s.AUTOUPDATE.startsWith("https://") && s.AUTOUPDATE.contains(".invalid"));
    EXPECT_FALSE(QFileInfo::exists(ini().Filename()));
}

TEST_F(SettingsTest, AbsentReaderPrefersATianyuReader) {
    const orv::SystemSettings s =
        orv::LoadSettings(ini(), readers({"Virtual PCD 00 00", "ACS tianYu Reader 0"}));
    EXPECT_EQ(s.READER, "ACS tianYu Reader 0");
    EXPECT_EQ(listed_, 1);
}

// Where the serial-mode "USB" reader does not exist (Linux), an empty READER
// takes the first reader listed; Windows keeps "USB".
TEST_F(SettingsTest, AbsentReaderWithoutTianyuFollowsThePlatformsFallback) {
    using orv::ReaderFallback;
    const QStringList ccid{"Generic CCID Reader 00 00", "Other Reader 01 00"};
    EXPECT_EQ(orv::LoadSettings(ini(), readers(ccid), ReaderFallback::FirstListed).READER,
              "Generic CCID Reader 00 00");
    EXPECT_EQ(orv::LoadSettings(ini(), readers(ccid), ReaderFallback::Usb).READER, "USB");
    EXPECT_EQ(orv::LoadSettings(ini(), readers({}), ReaderFallback::FirstListed).READER, "USB");
    EXPECT_EQ(
        orv::LoadSettings(ini(), readers({"x", "tianyu 2"}), ReaderFallback::FirstListed).READER,
        "tianyu 2");
    write("[SYSTEM]\r\nREADER=\r\n");  // present but empty counts as absent
    EXPECT_EQ(orv::LoadSettings(ini(), readers(ccid), ReaderFallback::FirstListed).READER,
              "Generic CCID Reader 00 00");
}

TEST_F(SettingsTest, ExistingReaderStaysAndNoListIsAsked) {
    write("[SYSTEM]\r\nREADER=COM3\r\n");
    EXPECT_EQ(orv::LoadSettings(ini(), readers({"Tianyu"})).READER, "COM3");
    EXPECT_EQ(listed_, 0);
}

TEST_F(SettingsTest, ConversionsFollowTheSettingsRules) {
    write("[SYSTEM]\r\nPORT=\r\nConnOverTime=xyz\r\nEchoOverTime=99999999999\r\nDETAILEDLOG=1\r\n");
    orv::SystemSettings s = orv::LoadSettings(ini(), readers({}));
    EXPECT_EQ(s.PORT, "8085");
    EXPECT_EQ(s.ConnOverTime, 0);
    EXPECT_EQ(s.EchoOverTime, 0);  // overflow
    EXPECT_TRUE(s.DETAILEDLOG);
    EXPECT_FALSE(orv::toBool("yes"));
    EXPECT_TRUE(orv::toBool("TRUE"));
    EXPECT_FALSE(orv::toBool("0"));
    EXPECT_TRUE(orv::toBool("-2"));
    EXPECT_EQ(orv::toInt32(" 45 "), 45);
    EXPECT_EQ(orv::toInt32("2.5"), 2);  // half to even
    EXPECT_EQ(orv::toInt32("3.5"), 4);
}

// Regression: a manifest's SET could make the upgrade and invoice pages,
// and the manifest itself, any address (a local file, a program).
TEST_F(SettingsTest, AddressesAreUsedOnlyWhenTheyAreOnTheWeb) {
    write(
        "[SYSTEM]\r\nUPDATE=file:///etc/passwd\r\nAUTOUPDATE=ftp://h.example/a.aup\r\n"
        "INVOICE1=/usr/bin/xterm\r\nINVOICE2=javascript:alert(1)\r\n"
        "INVOICE3=HTTPS://fp.example/x.jsp\r\nINVOICE4=http:///nohost\r\n");
    const orv::SystemSettings s = orv::LoadSettings(ini(), readers({}));
    const orv::SystemSettings defaults = orv::LoadSettings(IniFile(), readers({}));
    EXPECT_EQ(s.UPDATE, defaults.UPDATE);
    EXPECT_EQ(s.AUTOUPDATE, defaults.AUTOUPDATE);
    EXPECT_EQ(s.INVOICE1, defaults.INVOICE1);
    EXPECT_EQ(s.INVOICE2, defaults.INVOICE2);
    EXPECT_EQ(s.INVOICE3, "HTTPS://fp.example/x.jsp");
    EXPECT_EQ(s.INVOICE4, defaults.INVOICE4);
}

TEST_F(SettingsTest, SavedServerAndReaderAreReadBack) {
    IniFile f = ini();
    orv::SystemSettings s;
    s.IP = "192.0.2.7";
    s.PORT = "9000";
    s.READER = "COM2";
    orv::SaveServerSettings(f, s);
    orv::SaveReaderSetting(f, s);
    const orv::SystemSettings back = orv::LoadSettings(f, readers({}));
    EXPECT_EQ(back.IP, "192.0.2.7");
    EXPECT_EQ(back.PORT, "9000");
    EXPECT_EQ(back.READER, "COM2");
}

TEST_F(SettingsTest, TransactionCounterStartsAtTwoAndCounts) {
    IniFile f = ini();
    EXPECT_EQ(orv::NextTransactionNumber(f), 2);
    EXPECT_EQ(orv::NextTransactionNumber(f), 3);
    EXPECT_EQ(f.GetSetting("SYSTEM", "SN", ""), "3");
    write("[SYSTEM]\r\nSN=garbage\r\n");
    EXPECT_EQ(orv::NextTransactionNumber(f), 2);
}

// Regression: a counter at the largest 64-bit number overflowed when 1 was
// added (undefined behaviour; in practice a negative counter written back).
TEST_F(SettingsTest, TransactionCounterAtItsLargestStartsAgain) {
    IniFile f = ini();
    write("[SYSTEM]\r\nSN=9223372036854775806\r\n");
    EXPECT_EQ(orv::NextTransactionNumber(f), 9223372036854775807);
    EXPECT_EQ(orv::NextTransactionNumber(f), 2);
    EXPECT_EQ(f.GetSetting("SYSTEM", "SN", ""), "2");
}

// Regression: with the file unreadable, saving the reader or counting a
// transaction wrote a file holding only that key: the server address was
// lost and the counter started again.
TEST_F(SettingsTest, UnreadableFileKeepsTheServerAndTheCounter) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "no permission bits to take away on Windows";
    const std::string before = "[SYSTEM]\r\nIP=192.0.2.7\r\nPORT=9000\r\nSN=41\r\n";
    write(before);
    {
        orvtest::NoPermission denied(dir_.file("zelReader.ini"));
        ASSERT_TRUE(denied.effective());
        IniFile f = ini();
        orv::SystemSettings s = orv::LoadSettings(f, readers({}));
        EXPECT_EQ(s.IP, "127.0.0.1");  // defaults, as for a missing file
        s.READER = "COM2";
        orv::SaveReaderSetting(f, s);
        orv::NextTransactionNumber(f);
    }
    EXPECT_EQ(orvtest::readFile(dir_.file("zelReader.ini")), before);
    IniFile f = ini();
    EXPECT_EQ(orv::NextTransactionNumber(f), 42);
}

TEST(TempFile, CreatesUniqueEmptyFilesWithAShortPrefix) {
    orvtest::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const auto a = orv::TempFileName("orvane", folder);
    const auto b = orv::TempFileName("orvane", folder);
    ASSERT_FALSE(a.path.isEmpty());
    ASSERT_FALSE(b.path.isEmpty());
    EXPECT_NE(a.path, b.path);
    const QString name = orv::fileNameOf(a.path);
    EXPECT_TRUE(name.startsWith("orv") && name.endsWith(".tmp")) << name.toStdString();
    EXPECT_TRUE(QFileInfo(a.path).isFile());
    EXPECT_EQ(QFileInfo(a.path).size(), 0);
    EXPECT_TRUE(orv::TempFolder().endsWith(QDir::separator()));
}

TEST(TempFile, MissingFolderCarriesTheSystemError) {
    const auto r = orv::TempFileName("x", "/nonexistent-orvane-folder");
    EXPECT_TRUE(r.path.isEmpty());
    EXPECT_EQ(r.error, ENOENT);
}

TEST(ProgramFolder, SeparatorIsAddedOnlyWhenMissing) {
    const QString sep = QDir::separator();  // the system's own
    EXPECT_EQ(orv::inFolder("/opt/orv", "orv.db"), "/opt/orv" + sep + "orv.db");
    EXPECT_EQ(orv::inFolder("/opt/orv" + sep, "orv.db"), "/opt/orv" + sep + "orv.db");
    EXPECT_EQ(orv::inFolder("/opt/orv/", "orv.db"), "/opt/orv/orv.db");
    EXPECT_EQ(orv::fileNameOf("/opt/orv" + sep + "a.tmp"), "a.tmp");
    EXPECT_EQ(orv::fileNameOf("a.tmp"), "a.tmp");
}

}  // namespace
