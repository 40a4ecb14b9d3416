// The file system refuses more than a given number of bytes per file while
// the helper lives, as a full disk would (Linux: RLIMIT_FSIZE, with SIGXFSZ
// ignored so that the write fails instead of killing the process).
#pragma once

#include <cstdint>

namespace orvtest {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t saved_ = 0;
    void (*oldHandler_)(int) = nullptr;
    bool set_ = false;
};

}  // namespace orvtest
