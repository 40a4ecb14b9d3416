// A stand-in for the main program and for update packages: started under
// any name, it appends one line about itself to "<its name>.ran" in its
// folder (its arguments, its file's size, its open descriptors, where its
// standard streams go, its working folder), then stays while
// "<its name>.hold" exists, and ends.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string openDescriptors() {
    std::string list;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return "?";
    const int own = dirfd(dir);
    while (const dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == ".." || name == std::to_string(own)) continue;
        list += (list.empty() ? "" : ",") + name;
    }
    closedir(dir);
    return list;
}

bool streamsGoNowhere() {
    std::error_code ec;
    for (int fd = 0; fd < 3; ++fd)
        if (fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec) != "/dev/null")
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const fs::path folder = self.parent_path();
    const std::string name = self.filename().string();
    // Sorted descriptors are not needed: the reader compares sets.
    const std::string fds = openDescriptors();
    std::string args;
    for (int i = 1; i < argc; ++i)
        args += std::string(i > 1 ? "|" : "") + argv[i];
    {
        std::ofstream ran(folder / (name + ".ran"), std::ios::app);
        ran << "args=" << args << " size=" << fs::file_size(self, ec) << " fds=" << fds
            << " stdio=" << (streamsGoNowhere() ? "null" : "other")
            << " cwd=" << fs::current_path(ec).string() << "\n";
    }
    const fs::path hold = folder / (name + ".hold");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (fs::exists(hold, ec) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 0;
}
