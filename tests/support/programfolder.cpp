#include "programfolder.h"

#include <gtest/gtest.h>

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

}  // namespace orvtest
