#include "update/UpdateCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstring>

#include "base/AppLog.h"
#include "base/ProgramFolder.h"
#include "base/TempFile.h"
#include "base/Version.h"
#include "base/Waiter.h"
#include "gui/MessageBox.h"
#include "service/MsgWindow.h"
#include "update/Digests.h"
#include "update/Downloader.h"
#include "update/UpdateFiles.h"
#include "update/UpdateHost.h"

namespace orv {

bool DetachedStarter::start(const QString& program, const QStringList& arguments, QString* error) {
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setWorkingDirectory(QFileInfo(program).absolutePath());
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    if (p.startDetached()) return true;
    if (error) *error = p.errorString();
    return false;
}

ProgramIdentity ProgramIdentity::current(const QString& settingsPath) {
    ProgramIdentity p;
    p.folder = programFolder();
    p.settingsPath = settingsPath;
    p.exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const ProgramVersion v = programVersion();
    p.major = v.major;
    p.minor = v.minor;
    p.revision = v.revision;
    return p;
}

UpdateCheck::UpdateCheck(UpdateHost& host, Downloader& downloader, AppLog& log, Waiter& waiter,
                         ProgramStarter& starter, ProgramIdentity program, QObject* parent)
    : QObject(parent),
      host_(host),
      downloader_(downloader),
      log_(log),
      waiter_(waiter),
      starter_(starter),
      program_(std::move(program)),
      settings_(program_.settingsPath) {
    downloader_.setSizeLimit(update::kManifestKey, update::kManifestLimit);
    downloader_.setSizeLimit(update::kPackageKey, update::kPackageLimit);
    connect(&downloader_, &Downloader::DownloadComplete, this, &UpdateCheck::onDownloadComplete);
    connect(&downloader_, &Downloader::DownloadError, this, &UpdateCheck::onDownloadError);
}

UpdateCheck::~UpdateCheck() {
    closeNotices();
}

void UpdateCheck::start(const QString& manifestUrl) {
    downloader_.BeginDownload(manifestUrl, update::kManifestKey);
}

void UpdateCheck::closeNotices() {
    if (notices_) notices_->close();
}

void UpdateCheck::onDownloadError(const QString& key, qint32 statusNumber,
                                  const QString& description) {
    Q_UNUSED(key);
    // A transfer that failed on its way (number 0) ends the check silently.
    if (statusNumber != 0) log_.Log(QStringLiteral("AutoUpdate:") + description);
}

void UpdateCheck::onDownloadComplete(const QString& key, const QByteArray& value, qint32 fileType) {
    Q_UNUSED(fileType);
    QString error;
    bool handled = false;
    if (key == update::kManifestKey) {
        const QString path = store(value, &error);
        if (!path.isEmpty()) {
            ParseManifest(path);
            handled = true;
        }
    } else if (key == update::kPackageKey) {
        handled = packageArrived(value, &error);
    }
    if (!handled)
        log_.Log(QStringLiteral("DownloadCompleteErr:") + key + QLatin1Char('\t') + error);
}

QString UpdateCheck::store(const QByteArray& bytes, QString* error) {
    const TempFileResult tmp = TempFileName(QStringLiteral("tmp"), program_.folder);
    if (tmp.path.isEmpty()) {
        *error = QString::fromLocal8Bit(std::strerror(tmp.error));
        return {};
    }
    QFile f(tmp.path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() ||
        !f.flush()) {
        *error = f.errorString();
        f.close();
        QFile::remove(tmp.path);
        return {};
    }
    return tmp.path;
}

void UpdateCheck::ParseManifest(const QString& path) {
    QFile f(path);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly)) bytes = f.read(update::kManifestLimit);
    f.close();
    applyManifest(parseManifest(bytes));
    QFile::remove(path);
}

void UpdateCheck::applyManifest(const Manifest& m) {
    const QString system = QStringLiteral("SYSTEM");
    if (!m.set.isEmpty()) {
        for (const ManifestEntry& e : m.set)
            settings_.SaveSetting(system, e.key, e.value);
        host_.reloadSettings();
        host_.showStatus(true);
    }

    // A notice is shown once, under its key, whatever its text is later.
    const QString msg = QStringLiteral("MSG");
    bool added = false;
    for (const ManifestEntry& e : m.msg) {
        if (e.value.isEmpty() || !settings_.GetSetting(msg, e.key, QString()).isEmpty()) continue;
        settings_.SaveSetting(msg, e.key, e.value);
        addNotice(e.value);
        added = true;
    }
    if (added) notices_->show();

    if (isNewer(m.update.Version,
                versionNumber(program_.major, program_.minor, program_.revision))) {
        info_ = m.update;
        downloader_.BeginDownload(info_.HREF, update::kPackageKey);
    }
}

void UpdateCheck::addNotice(const QString& text) {
    if (!notices_) notices_ = new MsgWindow(host_.window());
    notices_->AddMsg(text);
}

// The manifest's digests, compared exactly: a lower-case digest does not
// match.
bool UpdateCheck::verify(const QByteArray& bytes) {
    const Digests actual = digestsOf(bytes);
    const struct {
        const QString& expected;
        const QString& actual;
        const char* name;
    } checks[] = {
        {info_.SHA1, actual.SHA1, "SHA1"},
        {info_.MD5, actual.MD5, "MD5"},
        {info_.SHA256, actual.SHA256, "SHA256"},
    };
    for (const auto& c : checks) {
        if (c.expected.isEmpty() || c.expected == c.actual) continue;
        const QString name = QLatin1String(c.name);
        log_.Log(QStringLiteral("AutoUpdate:%1 Error").arg(name));
        log_.Log(QStringLiteral("Update%1:").arg(name) + c.expected);
        log_.Log(QStringLiteral("Down%1:").arg(name) + c.actual);
        return false;
    }
    return true;
}

bool UpdateCheck::packageArrived(const QByteArray& bytes, QString* error) {
    if (!verify(bytes)) return true;
    const QString updaterPath = inFolder(program_.folder, update::kUpdaterFile);
    if (!QFile::exists(updaterPath)) {
        // Closing for an update that cannot happen would only stop the user.
        log_.Log(QStringLiteral("Update:") + updaterPath + QStringLiteral(" not found"));
        return true;
    }
    const QString package = store(bytes, error);
    if (package.isEmpty()) return false;
    const UpdaterCommand updater =
        buildUpdaterCommand(program_.folder, info_, program_.exeName, fileNameOf(package));
    // The program closes once the updater runs: it must not close for a
    // command the updater would not take as meant.
    const QString problem = updaterCommandProblem(updater, program_.exeName, fileNameOf(package));
    if (!problem.isEmpty()) {
        log_.Log(QStringLiteral("Update:") + problem);
        QFile::remove(package);
        return true;
    }
    downloader_.Cancel();

    // From here on nothing stops the hand-over.
    closeNotices();
    host_.closeOtherWindows();
    while (host_.wizardBusy())
        waiter_.delay(0.1);
    MessageBox::show(host_.window(), QStringLiteral("已下载本系统最新版本，程序将关闭后自动升级。"),
                     QStringLiteral("提示"), MessageBox::Icon::Information);
    log_.Log(QStringLiteral("Update:Start"));
    QString why;
    if (!starter_.start(updater.program, updater.arguments, &why)) {
        log_.Log(QStringLiteral("Update:") + why);
        QFile::remove(package);
        return true;
    }
    host_.closeProgram();
    return true;
}

}  // namespace orv
