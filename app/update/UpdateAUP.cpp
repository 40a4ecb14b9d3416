#include "update/UpdateAUP.h"

#include <QFile>
#include <filesystem>

#include "base/AppLog.h"
#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "base/Waiter.h"
#include "orv/fileinstall.h"
#include "update/Digests.h"
#include "update/UpdateFiles.h"

namespace orv {

namespace {

namespace fs = std::filesystem;

// By its Unicode name: on Windows a narrow name would go through the code
// page, which may not spell the program folder.
fs::path nativePath(const QString& path) {
    return fs::path(path.toStdU16String());
}

// A pending updater smaller than this is taken to be still arriving.
constexpr qint64 kShortest = 1000;

}  // namespace

void UpdateAUP(const QString& programFolder, AppLog& log, Waiter& waiter) {
    const QString pending = inFolder(programFolder, update::kPendingUpdater);
    const QString digestsFile = inFolder(programFolder, update::kPendingDigests);
    if (!QFile::exists(pending)) return;

    const IniFile ini(digestsFile);
    const QString section = QStringLiteral("Setting");
    const QString md5 = ini.GetSetting(section, QStringLiteral("MD5"), QString()).toUpper();
    const QString sha1 = ini.GetSetting(section, QStringLiteral("SHA1"), QString()).toUpper();
    const QString sha256 = ini.GetSetting(section, QStringLiteral("SHA256"), QString()).toUpper();
    if (md5.isEmpty() && sha1.isEmpty() && sha256.isEmpty()) return;

    QFile file(pending);
    if (file.size() < kShortest) return;
    Digests actual;
    if (!file.open(QIODevice::ReadOnly) || !digestsOf(file, actual)) {
        log.Log(QStringLiteral("UpdateAUP:") + file.errorString());
        return;
    }
    file.close();
    const struct {
        const QString& expected;
        const QString& actual;
        const char* line;
    } checks[] = {
        {md5, actual.MD5, "UpdateAUP: MD5 Error"},
        {sha1, actual.SHA1, "UpdateAUP: SHA1 Error"},
        {sha256, actual.SHA256, "UpdateAUP: SHA256 Error"},
    };
    for (const auto& c : checks) {
        if (!c.expected.isEmpty() && c.expected != c.actual) {
            log.Log(QLatin1String(c.line));
            QFile::remove(pending);
            QFile::remove(digestsFile);
            return;
        }
    }

    waiter.delay(1);
    const fs::path updater = nativePath(inFolder(programFolder, update::kUpdaterFile));
    const fs::path backup =
        updater.parent_path() / orv::derivedName(updater.filename().string(), "bak");
    std::error_code ec;
    // The old updater stays in place until the new one replaces it in one
    // rename, so a failure on the way leaves a working updater.
    if (fs::exists(updater, ec) &&
        !fs::copy_file(updater, backup, fs::copy_options::overwrite_existing, ec)) {
        log.Log(QStringLiteral("UpdateAUP:") + QString::fromStdString(ec.message()));
        return;
    }
    if (!orv::installCopy(nativePath(pending), updater, ec)) {
        log.Log(QStringLiteral("UpdateAUP:") + QString::fromStdString(ec.message()));
        return;
    }
    QFile::remove(pending);
    QFile::remove(digestsFile);
    log.Log(QStringLiteral("UpdateAUP: OK"));
}

}  // namespace orv
