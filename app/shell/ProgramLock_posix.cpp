// A lock file: a dead holder's lock is recognised by its process id.
#include <QLockFile>
#include <QtGlobal>

#include "shell/ProgramLock.h"

namespace orv {

struct ProgramLock::Impl {
    explicit Impl(const QString& path) : file(path) {
        // Held for the whole run: never given up for being old.
        file.setStaleLockTime(0);
    }
    QLockFile file;
};

ProgramLock::ProgramLock(const QString& path, const QString&) : d_(std::make_unique<Impl>(path)) {}

ProgramLock::~ProgramLock() = default;

ProgramLock::Result ProgramLock::tryLock(QString* reason, QString* detail) {
    if (d_->file.tryLock(0)) return Result::Held;
    // Only a lock held by a live copy means "already running"; a dead
    // copy's lock is taken over by tryLock itself.
    if (d_->file.error() == QLockFile::LockFailedError) return Result::Running;
    *detail = qt_error_string();
    *reason = d_->file.error() == QLockFile::PermissionError
                  ? QStringLiteral("没有写入权限")
                  : QStringLiteral("无法写入这个文件夹（磁盘可能已满或出错）");
    return Result::Failed;
}

}  // namespace orv
