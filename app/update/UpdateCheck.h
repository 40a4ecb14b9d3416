// The update check: at start the manifest is downloaded (key "zel_orv") and,
// when the program carries an update key, its signature (key "zel_orv.sig")
// too; a manifest whose signature does not verify is ignored. Its SET
// entries go into SYSTEM, its new MSG notices are shown once, and a newer
// version's package (key "auto_update") is downloaded, verified, stored in
// the program folder and handed to the updater, after which the program
// closes.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "base/IniFile.h"
#include "service/MsgWindow.h"
#include "update/Manifest.h"

namespace orv {

class AppLog;
class Downloader;
class ProgramStarter;
class UpdateHost;

// The running program as the update check sees it.
struct ProgramIdentity {
    QString folder;        // the program folder
    QString settingsPath;  // zelReader.ini
    QString exeName;       // the running program's file name, without folder
    int major = 0, minor = 0, revision = 0;
    // The public key manifests must be signed with (base64 of a DER
    // SubjectPublicKeyInfo); empty: unsigned manifests are taken.
    QByteArray updateKey;
    // When the program started; temp files of the program folder older than
    // this are left over from earlier runs. Invalid: nothing is removed.
    QDateTime started;

    // This process in its program folder: its file name, this build's
    // version and deployment key, now.
    static ProgramIdentity current(const QString& folder, const QString& settingsPath);
};

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    UpdateCheck(UpdateHost& host, Downloader& downloader, AppLog& log, ProgramStarter& starter,
                ProgramIdentity program, QObject* parent = nullptr);
    ~UpdateCheck() override;

    // Starts the manifest download (the main window calls this at load when
    // the system reports an Internet connection).
    void start(const QString& manifestUrl);

    // Removes the temp files that earlier runs left in the program folder
    // (the main window calls this once it is up, online or not).
    void removeLeftovers();

    // Processes a stored manifest and deletes it.
    void ParseManifest(const QString& path);

    // Closes the notice window if it is open (the main window's unload).
    void closeNotices();
    MsgWindow* noticeWindow() const { return notices_; }
    const UpdateInfo& updateInfo() const { return info_; }

    void onDownloadComplete(const QString& key, const QByteArray& value, qint32 fileType);
    void onDownloadError(const QString& key, qint32 statusNumber, const QString& description);

    // At most this many new notices from one manifest (the rest come at a
    // later start), and this many of its SET entries.
    static constexpr int kMaxNotices = 20;
    static constexpr int kMaxSettings = 256;

private:
    void manifestArrived(const QByteArray& bytes, QString* error);
    void applyManifest(const Manifest& m);
    void reloadWhenIdle();
    void addNotice(const QString& text);
    // Stores `bytes` in a new temp file of the program folder; its path, or
    // "" with `error` set.
    QString store(const QByteArray& bytes, QString* error);
    bool verify(const QByteArray& bytes);
    QString packageProblem(const QByteArray& bytes) const;
    bool packageArrived(const QByteArray& bytes, QString* error);
    void handOver();

    UpdateHost& host_;
    Downloader& downloader_;
    AppLog& log_;
    ProgramStarter& starter_;
    ProgramIdentity program_;
    IniFile settings_;
    UpdateInfo info_;
    QPointer<MsgWindow> notices_;
    QString manifestUrl_;
    QByteArray unverified_;  // the manifest while its signature is on its way
    // Re-checks from the event loop: never a wait inside a download event,
    // which may itself run inside a card or server wait of the wizard.
    QTimer reloadTimer_;
    QTimer handOverTimer_;
    UpdaterCommand updater_;
    QString package_;
};

}  // namespace orv
