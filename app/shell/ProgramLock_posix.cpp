// A lock file: a dead holder's lock is recognised by its process id.
#include <QLockFile>

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

bool ProgramLock::tryLock() {
    return d_->file.tryLock(0);
}

}  // namespace orv
