// The named mutex "orvane", as other programs look for it. The system
// releases it with the process, so a crashed copy leaves nothing behind; a
// lock file would be taken for held whenever a new process got the dead
// holder's process id, which Windows (and Wine, always) hands out again.
#include <windows.h>

#include <QtGlobal>
#include <string>

#include "shell/ProgramLock.h"

namespace orv {

struct ProgramLock::Impl {
    std::wstring name;
    HANDLE mutex = nullptr;
};

ProgramLock::ProgramLock(const QString&, const QString& name) : d_(std::make_unique<Impl>()) {
    d_->name = name.toStdWString();
}

ProgramLock::~ProgramLock() {
    if (d_->mutex) CloseHandle(d_->mutex);
}

ProgramLock::Result ProgramLock::tryLock(QString* reason, QString* detail) {
    if (d_->mutex) return Result::Held;
    HANDLE h = CreateMutexW(nullptr, FALSE, d_->name.c_str());
    if (!h) {
        *detail = qt_error_string(static_cast<int>(GetLastError()));
        *reason = QStringLiteral("系统不允许创建程序运行锁");
        return Result::Failed;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return Result::Running;
    }
    d_->mutex = h;
    return Result::Held;
}

}  // namespace orv
