#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPoint>

#include "base/IniFile.h"
#include "base/Text.h"
#include "nopermission.h"
#include "onwindows.h"
#include "tempdir.h"

namespace {

using orv::IniFile;

class IniTest : public ::testing::Test {
protected:
    IniFile ini() const { return IniFile(QString::fromStdString(dir_.file("zelReader.ini"))); }
    void write(const QByteArray& bytes) {
        orvtest::writeFile(dir_.file("zelReader.ini"), bytes.toStdString());
    }
    std::string content() const { return orvtest::readFile(dir_.file("zelReader.ini")); }
    orvtest::TempDir dir_;
};

TEST_F(IniTest, ReadsAFileWrittenTheWindowsWay) {
    write(
        "; settings\r\n[System]\r\n  Ip = 10.0.0.1  \r\nPORT=\"8086\"\r\nREADER='COM3'\r\n"
        "name=" +
        orv::toGbk(QStringLiteral("北京")) + "\r\nip=ignored\r\n\r\n[system]\r\nSN=7\r\n");
    const IniFile f = ini();
    EXPECT_EQ(f.GetSetting("SYSTEM", "IP", "x"), "10.0.0.1");  // any case, blanks trimmed
    EXPECT_EQ(f.GetSetting("SYSTEM", "PORT", "x"), "8086");    // quotes removed
    EXPECT_EQ(f.GetSetting("SYSTEM", "reader", "x"), "COM3");
    EXPECT_EQ(f.GetSetting("SYSTEM", "name", "x"), QStringLiteral("北京"));  // GBK on disk
    EXPECT_EQ(f.GetSetting("SYSTEM", "SN", "1"), "1");  // only the first section counts
    EXPECT_EQ(f.GetSetting("OTHER", "IP", "dflt"), "dflt");
}

TEST_F(IniTest, EmptyValueCountsAsMissing) {
    write("[SYSTEM]\nPORT=\n");
    EXPECT_EQ(ini().GetSetting("SYSTEM", "PORT", "8085"), "8085");
}

TEST_F(IniTest, LongValuesAreCutTo254Bytes) {
    write("[SYSTEM]\nINVOICE1=" + QByteArray(300, 'a') + "\nNAME=a" +
          orv::toGbk(QString(200, QChar(0x5317))) + "\n");
    EXPECT_EQ(ini().GetSetting("SYSTEM", "INVOICE1", ""), QString(254, 'a'));
    // 1 + 2 x 126 = 253 bytes: the 127th character would not fit whole.
    EXPECT_EQ(ini().GetSetting("SYSTEM", "NAME", ""), "a" + QString(126, QChar(0x5317)));
}

TEST_F(IniTest, FirstWriteCreatesTheFileWithCrLf) {
    IniFile f = ini();
    EXPECT_TRUE(f.SaveSetting("SYSTEM", "IP", "1.2.3.4"));
    EXPECT_TRUE(f.SaveSetting("SYSTEM", "PORT", 8085));
    EXPECT_TRUE(f.SaveSetting("MSG", "a", QStringLiteral("通知")));
    EXPECT_TRUE(f.SaveSetting("system", "ip", "5.6.7.8"));  // replaced in place
    EXPECT_EQ(content(), "[SYSTEM]\r\nIP=5.6.7.8\r\nPORT=8085\r\n[MSG]\r\na=" +
                             orv::toGbk(QStringLiteral("通知")).toStdString() + "\r\n");
    EXPECT_FALSE(f.SaveSetting("SYSTEM", "X", QPoint(1, 2)));  // no text form
}

// Regression: a file that exists but could not be read was replaced by the
// next write, holding only the key written.
TEST_F(IniTest, UnreadableFileGivesDefaultsAndIsNeverReplaced) {
    if (orvtest::kOnWindows) GTEST_SKIP() << "no permission bits to take away on Windows";
    const std::string before = "[SYSTEM]\r\nIP=10.0.0.1\r\nPORT=8086\r\nREADER=COM3\r\n";
    write(QByteArray::fromStdString(before));
    {
        orvtest::NoPermission denied(dir_.file("zelReader.ini"));
        ASSERT_TRUE(denied.effective());
        IniFile f = ini();
        EXPECT_EQ(f.GetSetting("SYSTEM", "IP", "dflt"), "dflt");
        QStringList names;
        EXPECT_EQ(f.GetSections(names), 0);
        EXPECT_FALSE(f.SaveSetting("SYSTEM", "READER", "COM4"));
        EXPECT_FALSE(f.DeleteSetting("SYSTEM", "IP"));
        EXPECT_FALSE(f.DeleteSetting("SYSTEM"));
        EXPECT_FALSE(f.SetSectionData("MSG", QStringLiteral("a=1")));
    }
    EXPECT_EQ(content(), before);
    EXPECT_EQ(ini().GetSetting("SYSTEM", "READER", ""), "COM3");
}

TEST_F(IniTest, FolderInPlaceOfTheFileIsUnreadableToo) {
    const QString path = ini().Filename();
    ASSERT_TRUE(QDir().mkdir(path));
    IniFile f = ini();
    EXPECT_EQ(f.GetSetting("SYSTEM", "IP", "dflt"), "dflt");
    EXPECT_FALSE(f.SaveSetting("SYSTEM", "IP", "1.2.3.4"));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(IniTest, NewKeysGoAfterTheSectionsLastEntry) {
    write("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    IniFile f = ini();
    f.SaveSetting("A", "z", "3");
    EXPECT_EQ(content(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST_F(IniTest, DeletesKeysAndWholeSections) {
    write("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    IniFile f = ini();
    EXPECT_TRUE(f.DeleteSetting("A", "X"));
    EXPECT_EQ(f.GetSetting("A", "x", "gone"), "gone");
    EXPECT_TRUE(f.DeleteSetting("b"));  // null key: the section
    QStringList names;
    EXPECT_EQ(f.GetSections(names), 1);
    EXPECT_EQ(names, QStringList{"A"});
}

TEST_F(IniTest, SectionDataIsNulSeparated) {
    write("[A]\r\nx = 1\r\n;comment\r\ny=\"2\"\r\nflag\r\n");
    IniFile f = ini();
    EXPECT_EQ(f.GetSectionData("a"), QString("x=1") + QChar(0) + "y=\"2\"" + QChar(0) + "flag");
    EXPECT_EQ(f.GetSectionData("none"), "");
    EXPECT_TRUE(f.SetSectionData("A", QString("p=1") + QChar(0) + "q=2"));
    QStringList keys;
    EXPECT_EQ(f.GetKeys("A", keys), 2);
    EXPECT_EQ(keys, (QStringList{"p", "q"}));
    EXPECT_TRUE(f.SetSectionData("New", QString("k=v")));
    EXPECT_EQ(f.GetSetting("NEW", "k", ""), "v");
}

TEST_F(IniTest, SectionBufferHoldsAt32765Characters) {
    QByteArray body = "[A]\r\n";
    for (int i = 0; i < 4000; ++i)
        body += "k" + QByteArray::number(i) + "=vvvvvvvvvv\r\n";
    write(body);
    EXPECT_EQ(ini().GetSectionData("A").size(), 32765);
}

TEST_F(IniTest, MissingFileGivesDefaultsAndNoSections) {
    const IniFile f = ini();
    QStringList names{"stale"};
    EXPECT_EQ(f.GetSections(names), 0);
    EXPECT_EQ(names, QStringList{""});
    EXPECT_EQ(f.GetKeys("A", names), 0);
    EXPECT_EQ(f.GetSetting("A", "b", "c"), "c");
}

TEST_F(IniTest, WriteIntoMissingFolderFails) {
    IniFile f(QString::fromStdString(dir_.file("no/such/folder/x.ini")));
    EXPECT_FALSE(f.SaveSetting("A", "b", "c"));
}

}  // namespace
