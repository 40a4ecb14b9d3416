// A named pipe that tells whether anyone opened it for reading. Whoever
// does blocks until a writer comes (a window that loads it as a picture
// freezes for good); the watch is that writer: it lets the reader go at once
// with an empty read and notes that it came.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace orvtest {

class FifoWatch {
public:
    explicit FifoWatch(std::string path) : path_(std::move(path)) {
        made_ = mkfifo(path_.c_str(), 0600) == 0;
        // A reader that found nothing may come again (a picture is asked
        // for at every layout): every one is let go.
        if (made_)
            thread_ = std::thread([this] {
                while (!finishing_) {
                    const int fd = open(path_.c_str(), O_WRONLY);
                    if (!finishing_ && fd >= 0) opened_ = true;
                    if (fd >= 0) close(fd);
                }
            });
    }
    ~FifoWatch() {
        if (!made_) return;
        // A reader of our own lets the watch end.
        finishing_ = true;
        const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        thread_.join();
        if (fd >= 0) close(fd);
        unlink(path_.c_str());
    }
    bool made() const { return made_; }
    bool opened() const { return opened_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool made_ = false;
    std::atomic<bool> finishing_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

}  // namespace orvtest
