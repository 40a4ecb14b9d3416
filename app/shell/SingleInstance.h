// One running copy per user. The first copy holds the program's lock (a
// lock file in the user's runtime folder; on Windows the named mutex) and
// listens on a local socket in that folder; a later copy finds the lock
// taken and asks the first, over the socket, to bring its main window to
// the front. The lock goes with the process.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <memory>

#include "shell/ProgramLock.h"

namespace orv {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: where the lock and the socket live (the runtime folder).
    explicit SingleInstance(const QString& folder, const QString& name = QStringLiteral("orvane"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: the lock is held and the socket
    // listens.
    bool acquire();
    // For a later copy: asks the first copy to show its window; false when
    // it could not be reached within `timeoutMs`.
    bool notifyRunning(int timeoutMs = 2000);

    // The user's runtime folder (XDG_RUNTIME_DIR on Linux).
    static QString runtimeFolder();

signals:
    void activationRequested();

private:
    void onConnection();

    QString lockPath_, socketPath_;
    ProgramLock lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace orv
