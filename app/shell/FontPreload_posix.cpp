#include <dlfcn.h>

#include <QFontDatabase>
#include <QStringList>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "shell/FontPreload.h"

namespace orv {

namespace {

// Fontconfig reads its configuration and caches once per process and keeps
// the first one made; Qt then finds it ready. Only the library Qt already
// loaded is used: a Qt without fontconfig has nothing to read ahead.
void readFontConfiguration() {
    void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!library) return;
    using Init = int (*)();
    if (auto init = reinterpret_cast<Init>(dlsym(library, "FcInit"))) init();
    dlclose(library);
}

}  // namespace

struct FontPreload::Work {
    std::mutex mutex;
    std::condition_variable changed;
    bool decided = false;  // fillDatabase() or wait() was called
    bool fill = false;
    std::thread thread;

    void run() {
        readFontConfiguration();
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return decided; });
        if (!fill) return;
        lock.unlock();
        QFontDatabase::families();
    }

    void decide(bool fillIt) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (decided) return;
            decided = true;
            fill = fillIt;
        }
        changed.notify_one();
    }
};

FontPreload::FontPreload() : work_(std::make_unique<Work>()) {
    // Without a thread (the system refuses one) Qt reads the fonts itself
    // when the window first asks, as it would anyway.
    try {
        work_->thread = std::thread([w = work_.get()] { w->run(); });
    } catch (const std::system_error&) {
    }
}

FontPreload::~FontPreload() {
    wait();
}

void FontPreload::fillDatabase() {
    work_->decide(true);
}

void FontPreload::wait() {
    work_->decide(false);
    if (work_->thread.joinable()) work_->thread.join();
}

}  // namespace orv
