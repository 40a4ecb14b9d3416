// What makes a copy of the program the first one: held for the whole run,
// released when the process ends in any way.
#pragma once

#include <QString>
#include <memory>

namespace orv {

class ProgramLock {
public:
    // `path`: a lock file in the user's runtime folder (Linux); `name`: the
    // named mutex (Windows).
    ProgramLock(const QString& path, const QString& name);
    ~ProgramLock();
    ProgramLock(const ProgramLock&) = delete;
    ProgramLock& operator=(const ProgramLock&) = delete;

    // Held: this process now holds it. Running: a live copy holds it.
    // Failed: it could not be taken for another reason: `reason` in the
    // user's words, `detail` the system's text for the log.
    enum class Result { Held, Running, Failed };
    Result tryLock(QString* reason, QString* detail);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace orv
