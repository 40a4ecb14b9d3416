// Finding the system-information program: the registry steps of Windows
// and the PATH list elsewhere, over fake lookups, and the real PATH.
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>

#include "gui/SystemInfo.h"
#include "tempdir.h"

namespace {

class FakeLookups : public orv::SystemInfoLookups {
public:
    QMap<QString, QString> registry;  // "key|value" → text
    QStringList files, onPath;
    QStringList asked;
    std::optional<QString> registryValue(const QString& key, const QString& value) override {
        const QString k = key + "|" + value;
        if (!registry.contains(k)) return {};
        return registry[k];
    }
    bool fileExists(const QString& path) override { return files.contains(path); }
    QString findOnPath(const QString& program) override {
        asked << program;
        return onPath.contains(program) ? "/opt/bin/" + program : QString();
    }
};

const QString kMsinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
const QString kLocation = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

TEST(WindowsSystemInfo, TakesThePathValueFirst) {
    FakeLookups l;
    l.registry[kMsinfo] = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";
    l.registry[kLocation] = "C:\\Other";
    l.files << "C:\\Other\\MSINFO32.EXE";
    EXPECT_EQ(orv::windowsSystemInfo(l).program, l.registry[kMsinfo]);
}

TEST(WindowsSystemInfo, ThenTheLocationWhenItsProgramExists) {
    FakeLookups l;
    l.registry[kLocation] = "C:\\MSInfo";
    EXPECT_TRUE(orv::windowsSystemInfo(l).program.isEmpty());  // no file there
    l.files << "C:\\MSInfo\\MSINFO32.EXE";
    EXPECT_EQ(orv::windowsSystemInfo(l).program, "C:\\MSInfo\\MSINFO32.EXE");
    l.registry[kMsinfo] = "";  // an empty path names no program
    EXPECT_EQ(orv::windowsSystemInfo(l).program, "C:\\MSInfo\\MSINFO32.EXE");
}

TEST(WindowsSystemInfo, NothingFoundGivesNoProgram) {
    FakeLookups l;
    EXPECT_TRUE(orv::windowsSystemInfo(l).program.isEmpty());
    EXPECT_TRUE(l.asked.isEmpty());  // PATH is not Windows' way
}

TEST(DesktopSystemInfo, TakesTheFirstToolOfTheListOnPath) {
    FakeLookups l;
    EXPECT_TRUE(orv::desktopSystemInfo(l).program.isEmpty());
    EXPECT_EQ(l.asked, orv::desktopSystemInfoTools());
    l.onPath << "xfce4-about"
             << "kinfocenter";
    EXPECT_EQ(orv::desktopSystemInfo(l).program, "/opt/bin/kinfocenter");
    l.onPath << "hardinfo";
    EXPECT_EQ(orv::desktopSystemInfo(l).program, "/opt/bin/hardinfo");
}

#ifndef Q_OS_WIN
// The real lookup follows PATH as it stands when the user asks.
TEST(DesktopSystemInfo, FindsAnExecutableOnTheRealPath) {
    orvtest::TempDir dir;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(dir.path().string()));
    EXPECT_TRUE(orv::findSystemInfo().program.isEmpty());
    const QString tool = QString::fromStdString(dir.file("kinfocenter"));
    orvtest::writeFile(tool.toStdString(), "#!/bin/sh\n");
    EXPECT_TRUE(orv::findSystemInfo().program.isEmpty());  // not executable yet
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(orv::findSystemInfo().program, tool);
    qputenv("PATH", oldPath);
}
#endif

}  // namespace
