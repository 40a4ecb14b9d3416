// A file or folder that the calling thread cannot read while the helper
// lives, whether the tests run as a normal user or as root. Its permission
// bits are cleared; root reads past those, so the thread also gives up
// CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from its effective capabilities
// (per thread on Linux; they stay permitted, so they can come back). Both
// are restored when the helper goes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace orvtest {

class NoPermission {
public:
    explicit NoPermission(std::string path);
    ~NoPermission();
    NoPermission(const NoPermission&) = delete;
    NoPermission& operator=(const NoPermission&) = delete;

    // True when the path now really refuses to be opened for reading.
    bool effective() const;

private:
    std::string path_;
    mode_t mode_ = 0;
    bool modeChanged_ = false;
    bool capsDropped_ = false;
    std::uint32_t effective_[2] = {};  // the thread's effective set before
};

}  // namespace orvtest
