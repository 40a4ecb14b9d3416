#include "programfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <filesystem>

#include "card/RecordsDb.h"
#include "zellib.h"

namespace orvtest {

QString folderOf(const TempDir& dir) {
    return QString::fromStdString(dir.path().string());
}

void makeProgramFolder(const TempDir& dir, ProgramFolderParts parts) {
    namespace fs = std::filesystem;
    if (parts.readerLibrary) installReaderLibrary(dir, false);
    if (parts.clips) {
        const fs::path clips = fs::path(ORV_SOURCE_DIR) / "app/service/clips";
        fs::copy_file(clips / "reading.gif", dir.path() / "zelSC.dll");
        fs::copy_file(clips / "writing.gif", dir.path() / "zelSCC.dll");
    }
    if (parts.webModule)
        fs::create_symlink(fs::path(ORV_PROGRAM_DIR) / "liborvweb.so", dir.path() / "liborvweb.so");
    if (parts.database) {
        EXPECT_TRUE(orv::RecordsDb::createFresh(QString::fromStdString(dir.file("orv.db"))));
    }
}

void writeSettings(const TempDir& dir, const QStringList& lines) {
    QFile f(QString::fromStdString(dir.file("zelReader.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(("[SYSTEM]\r\n" + lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
}

QByteArray logsOf(const QString& folder) {
    QByteArray logs;
    const QDir dir(folder + QStringLiteral("/Log"));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) logs += f.readAll();
    }
    return logs;
}

QProcessEnvironment installProgram(const TempDir& dir, const TempDir& runtime,
                                   const TempDir& tools) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(ORV_PROGRAM_DIR) / "orvane", dir.path() / "orvane");
    writeFile(tools.file("systemctl"),
              "#!/bin/sh\necho \"$@\" >> " + tools.file("systemctl.log") + "\n");
    fs::permissions(tools.file("systemctl"), fs::perms::owner_all);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folderOf(runtime));
    env.insert(QStringLiteral("PATH"), folderOf(tools) + ":" + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("PCSCLITE_CSOCK_NAME"), folderOf(runtime) + "/no-pcscd.comm");
    return env;
}

}  // namespace orvtest
