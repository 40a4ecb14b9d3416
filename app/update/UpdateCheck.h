// The update check: at start the manifest is downloaded (key "zel_orv");
// its SET entries go into SYSTEM, its new MSG notices are shown once, and a
// newer version's package (key "auto_update") is downloaded, verified,
// stored in the program folder and handed to the updater, after which the
// program closes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "base/IniFile.h"
#include "service/MsgWindow.h"
#include "update/Manifest.h"

namespace orv {

class AppLog;
class Downloader;
class ProgramStarter;
class UpdateHost;
class Waiter;

// The running program as the update check sees it.
struct ProgramIdentity {
    QString folder;        // the program folder
    QString settingsPath;  // zelReader.ini
    QString exeName;       // the running program's file name, without folder
    int major = 0, minor = 0, revision = 0;

    // This process: its folder and file name, this build's version.
    static ProgramIdentity current(const QString& settingsPath);
};

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    UpdateCheck(UpdateHost& host, Downloader& downloader, AppLog& log, Waiter& waiter,
                ProgramStarter& starter, ProgramIdentity program, QObject* parent = nullptr);
    ~UpdateCheck() override;

    // Starts the manifest download (the main window calls this at load when
    // the system reports an Internet connection).
    void start(const QString& manifestUrl);

    // Processes a stored manifest and deletes it.
    void ParseManifest(const QString& path);

    // Closes the notice window if it is open (the main window's unload).
    void closeNotices();
    MsgWindow* noticeWindow() const { return notices_; }
    const UpdateInfo& updateInfo() const { return info_; }

    void onDownloadComplete(const QString& key, const QByteArray& value, qint32 fileType);
    void onDownloadError(const QString& key, qint32 statusNumber, const QString& description);

private:
    void applyManifest(const Manifest& m);
    void addNotice(const QString& text);
    // Stores `bytes` in a new temp file of the program folder; its path, or
    // "" with `error` set.
    QString store(const QByteArray& bytes, QString* error);
    bool verify(const QByteArray& bytes);
    bool packageArrived(const QByteArray& bytes, QString* error);

    UpdateHost& host_;
    Downloader& downloader_;
    AppLog& log_;
    Waiter& waiter_;
    ProgramStarter& starter_;
    ProgramIdentity program_;
    IniFile settings_;
    UpdateInfo info_;
    QPointer<MsgWindow> notices_;
};

}  // namespace orv
