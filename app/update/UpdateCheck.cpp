#include "update/UpdateCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <cstring>

#include "base/AppLog.h"
#include "base/Deployment.h"
#include "base/ProgramFolder.h"
#include "base/Settings.h"
#include "base/TempFile.h"
#include "base/Version.h"
#include "gui/MessageBox.h"
#include "service/MsgWindow.h"
#include "update/Digests.h"
#include "update/Downloader.h"
#include "update/ManifestSignature.h"
#include "update/UpdateFiles.h"
#include "update/UpdateHost.h"

namespace orv {

namespace {
// How often a deferred step looks again whether the card or the wizard is
// done.
constexpr int kRecheckMs = 100;
}  // namespace

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

ProgramIdentity ProgramIdentity::current(const QString& folder, const QString& settingsPath) {
    ProgramIdentity p;
    p.folder = folder;
    p.settingsPath = settingsPath;
    p.exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const ProgramVersion v = programVersion();
    p.major = v.major;
    p.minor = v.minor;
    p.revision = v.revision;
    p.updateKey = QByteArray(deployment::kUpdateKey);
    p.started = QDateTime::currentDateTimeUtc();
    return p;
}

UpdateCheck::UpdateCheck(UpdateHost& host, Downloader& downloader, AppLog& log,
                         ProgramStarter& starter, ProgramIdentity program, QObject* parent)
    : QObject(parent),
      host_(host),
      downloader_(downloader),
      log_(log),
      starter_(starter),
      program_(std::move(program)),
      settings_(program_.settingsPath) {
    downloader_.setSizeLimit(update::kManifestKey, update::kManifestLimit);
    downloader_.setSizeLimit(update::kSignatureKey, update::kSignatureLimit);
    downloader_.setSizeLimit(update::kPackageKey, update::kPackageLimit);
    connect(&downloader_, &Downloader::DownloadComplete, this, &UpdateCheck::onDownloadComplete);
    connect(&downloader_, &Downloader::DownloadError, this, &UpdateCheck::onDownloadError);
    for (QTimer* t : {&reloadTimer_, &handOverTimer_}) {
        t->setSingleShot(true);
        t->setInterval(kRecheckMs);
    }
    connect(&reloadTimer_, &QTimer::timeout, this, &UpdateCheck::reloadWhenIdle);
    connect(&handOverTimer_, &QTimer::timeout, this, &UpdateCheck::handOver);
}

UpdateCheck::~UpdateCheck() {
    closeNotices();
}

// Packages of hand-overs that never happened, and manifests of runs that
// ended on the way, are the program folder's "tmp*.tmp" files (up to
// 512 MiB each); those from before this start belong to no one.
void UpdateCheck::removeLeftovers() {
    if (!program_.started.isValid()) return;
    const QDir folder(program_.folder);
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("tmp*.tmp")},
                                                     QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& f : files)
        if (f.lastModified() < program_.started) QFile::remove(f.absoluteFilePath());
}

void UpdateCheck::start(const QString& manifestUrl) {
    manifestUrl_ = manifestUrl;
    downloader_.BeginDownload(manifestUrl, update::kManifestKey);
}

void UpdateCheck::closeNotices() {
    if (notices_) notices_->close();
}

void UpdateCheck::onDownloadError(const QString& key, qint32 statusNumber,
                                  const QString& description) {
    if (key == update::kSignatureKey) {
        // The manifest came but its signature did not: it is ignored, and
        // says so once.
        unverified_.clear();
        log_.Log(QStringLiteral("AutoUpdate:the manifest's signature could not be fetched (") +
                 description + QStringLiteral("); the manifest was ignored"));
        return;
    }
    // A transfer that failed on its way (number 0) ends the check silently.
    if (statusNumber != 0) log_.Log(QStringLiteral("AutoUpdate:") + description);
}

void UpdateCheck::onDownloadComplete(const QString& key, const QByteArray& value, qint32 fileType) {
    Q_UNUSED(fileType);
    QString error;
    bool handled = false;
    if (key == update::kManifestKey) {
        if (program_.updateKey.isEmpty()) {
            manifestArrived(value, &error);
            handled = error.isEmpty();
        } else {
            // Nothing of it counts before its signature has been checked.
            unverified_ = value;
            downloader_.BeginDownload(signatureUrl(manifestUrl_).toString(QUrl::FullyEncoded),
                                      update::kSignatureKey);
            handled = true;
        }
    } else if (key == update::kSignatureKey) {
        const QByteArray manifest = std::exchange(unverified_, QByteArray());
        const QString problem = signatureProblem(manifest, value, program_.updateKey);
        if (problem.isEmpty()) {
            manifestArrived(manifest, &error);
            handled = error.isEmpty();
        } else {
            log_.Log(QStringLiteral("AutoUpdate:") + problem +
                     QStringLiteral("; the manifest was ignored"));
            handled = true;
        }
    } else if (key == update::kPackageKey) {
        handled = packageArrived(value, &error);
    }
    if (!handled)
        log_.Log(QStringLiteral("DownloadCompleteErr:") + key + QLatin1Char('\t') + error);
}

void UpdateCheck::manifestArrived(const QByteArray& bytes, QString* error) {
    const QString path = store(bytes, error);
    if (!path.isEmpty()) ParseManifest(path);
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
    const QString msg = QStringLiteral("MSG");
    QList<IniFile::Setting> writes;

    // Addresses the program opens or downloads from: the web only.
    QStringList refused;
    for (const ManifestEntry& e : m.set.mid(0, kMaxSettings)) {
        if (isAddressSetting(e.key) && !isWebAddress(e.value)) {
            if (!refused.contains(e.key.toUpper())) refused << e.key.toUpper();
            continue;
        }
        writes.append({system, e.key, e.value});
    }
    const bool settingsChanged = !writes.isEmpty();
    if (!refused.isEmpty())
        log_.Log(QStringLiteral("AutoUpdate:SET ") + refused.join(QStringLiteral(", ")) +
                 QStringLiteral(": not an http or https address; skipped"));

    // A notice is shown once, under its key, whatever its text is later.
    QStringList notices;
    QSet<QString> keys;
    for (const ManifestEntry& e : m.msg) {
        if (notices.size() >= kMaxNotices) break;
        const QString key = e.key.toUpper();
        if (e.value.isEmpty() || keys.contains(key) ||
            !settings_.GetSetting(msg, e.key, QString()).isEmpty())
            continue;
        keys.insert(key);
        writes.append({msg, e.key, e.value});
        notices << e.value;
    }
    // The manifest's settings and notices in one write of the file.
    if (!writes.isEmpty()) settings_.SaveSettings(writes);

    if (settingsChanged) reloadWhenIdle();
    for (const QString& text : notices)
        addNotice(text);
    if (!notices.isEmpty()) notices_->show();

    if (isNewer(m.update.Version,
                versionNumber(program_.major, program_.minor, program_.revision))) {
        info_ = m.update;
        downloader_.BeginDownload(info_.HREF, update::kPackageKey);
    }
}

// Loading the settings may ask the reader library for its reader list: not
// while a card call is running, whose progress callback may be what brought
// the manifest here.
void UpdateCheck::reloadWhenIdle() {
    if (host_.cardBusy()) {
        reloadTimer_.start();
        return;
    }
    host_.reloadSettings();
    host_.showStatus(true);
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

// Without digests nothing vouches for the package; in mode 1 it becomes the
// program, so it must at least be a program of this platform.
QString UpdateCheck::packageProblem(const QByteArray& bytes) const {
    if (!info_.SHA1.isEmpty() || !info_.MD5.isEmpty() || !info_.SHA256.isEmpty()) return {};
    bool number = false;
    if (info_.Type.trimmed().toInt(&number) != 1 || !number) return {};
    if (bytes.isEmpty()) return QStringLiteral("the package is empty");
    if (!bytes.startsWith(update::kProgramMagic))
        return QStringLiteral("the package is not a program of this system");
    return {};
}

bool UpdateCheck::packageArrived(const QByteArray& bytes, QString* error) {
    if (!verify(bytes)) return true;
    if (const QString problem = packageProblem(bytes); !problem.isEmpty()) {
        log_.Log(QStringLiteral("AutoUpdate:") + problem);
        return true;
    }
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
    // command the updater would refuse or not take as meant.
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
    updater_ = updater;
    package_ = package;
    handOver();
    return true;
}

// The wizard may be in the middle of a card or server exchange: the
// hand-over waits for it from the event loop, never in a wait of its own
// that the wizard's waits would have to return through.
void UpdateCheck::handOver() {
    if (host_.wizardBusy()) {
        handOverTimer_.start();
        return;
    }
    MessageBox::show(host_.window(), QStringLiteral("已下载本系统最新版本，程序将关闭后自动升级。"),
                     QStringLiteral("提示"), MessageBox::Icon::Information);
    log_.Log(QStringLiteral("Update:Start"));
    QString why;
    if (!starter_.start(updater_.program, updater_.arguments, &why)) {
        log_.Log(QStringLiteral("Update:") + why);
        QFile::remove(package_);
        return;
    }
    host_.closeProgram();
}

}  // namespace orv
