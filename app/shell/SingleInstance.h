// One running copy per user. The first copy holds the program's lock (a
// lock file in the user's runtime folder; on Windows the named mutex) and
// listens on a local socket in that folder; a later copy finds the lock
// taken and asks the first, over the socket, to bring its main window to
// the front. The lock goes with the process.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <memory>
#include <optional>

#include "shell/ProgramLock.h"

namespace orv {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: where the lock and the socket live (the runtime folder).
    explicit SingleInstance(const QString& folder, const QString& name = QStringLiteral("orvane"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        First,    // the lock is held and the socket listens
        Running,  // another live copy holds the lock
        Failed,   // the lock could not be taken for another reason
    };
    Claim acquire();
    // Why acquire() failed, for the user: the lock file and the reason.
    QString errorString() const { return error_; }
    // The system's own text for the same failure, for the log.
    QString errorDetail() const { return detail_; }
    // For a later copy: asks the first copy to show its window; false when
    // it could not be reached within `timeoutMs`.
    bool notifyRunning(int timeoutMs = 2000);

    // The user's runtime folder (XDG_RUNTIME_DIR on Linux).
    static QString runtimeFolder();

signals:
    void activationRequested();

private:
    void onConnection();

    QString lockPath_, socketPath_, error_, detail_;
    ProgramLock lock_;
    std::unique_ptr<QLocalServer> server_;
};

// Start-up's use of the lock for the program in `programFolder`: nothing
// when this copy goes on. Otherwise the exit code: 0 after calling the
// running copy to the front; 1 after a lock that could not be taken for any
// other reason (a runtime folder that cannot be written, an I/O error),
// shown in an "错误" box and logged, rather than ending as if another copy
// ran.
std::optional<int> claimSingleInstance(SingleInstance& instance, const QString& programFolder);

}  // namespace orv
