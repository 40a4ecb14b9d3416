#include "nopermission.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orvtest {

namespace {

// The calling thread's capability sets (tid 0: this thread).
struct Caps {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};

    bool get() { return syscall(SYS_capget, &header, data) == 0; }
    bool set() { return syscall(SYS_capset, &header, data) == 0; }
};

constexpr std::uint32_t bit(int cap) {
    return 1u << (cap % 32);
}

}  // namespace

NoPermission::NoPermission(std::string path) : path_(std::move(path)) {
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0 && chmod(path_.c_str(), 0) == 0) {
        mode_ = st.st_mode & 07777;
        modeChanged_ = true;
    }
    Caps caps;
    if (!caps.get()) return;
    effective_[0] = caps.data[0].effective;
    effective_[1] = caps.data[1].effective;
    // Both capabilities lie in the first 32-bit word.
    const std::uint32_t dac = bit(CAP_DAC_OVERRIDE) | bit(CAP_DAC_READ_SEARCH);
    if ((caps.data[0].effective & dac) == 0) return;  // a normal user: nothing to drop
    caps.data[0].effective &= ~dac;
    capsDropped_ = caps.set();
}

NoPermission::~NoPermission() {
    if (capsDropped_) {
        Caps caps;
        if (caps.get()) {
            caps.data[0].effective = effective_[0];
            caps.data[1].effective = effective_[1];
            caps.set();
        }
    }
    if (modeChanged_) chmod(path_.c_str(), mode_);
}

bool NoPermission::effective() const {
    const int fd = open(path_.c_str(), O_RDONLY);
    if (fd < 0) return true;
    close(fd);
    return false;
}

}  // namespace orvtest
