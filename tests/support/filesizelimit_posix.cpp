#include "filesizelimit.h"

#include <signal.h>
#include <sys/resource.h>

namespace orvtest {

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit l{};
    if (getrlimit(RLIMIT_FSIZE, &l) != 0) return;
    saved_ = l.rlim_cur;
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    l.rlim_cur = static_cast<rlim_t>(bytes);
    set_ = setrlimit(RLIMIT_FSIZE, &l) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (!set_) return;
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    l.rlim_cur = static_cast<rlim_t>(saved_);
    setrlimit(RLIMIT_FSIZE, &l);
    signal(SIGXFSZ, oldHandler_);
}

}  // namespace orvtest
