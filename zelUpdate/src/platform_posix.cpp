// The updater on Linux: processes from /proc, programs started with fork and
// exec, waits through a process descriptor, files through std::filesystem.
// Names are the bytes the command line brought.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <thread>

#include "Platform.h"
#include "Updater.h"
#include "orv/fileinstall.h"

namespace zelupdate {

namespace fs = std::filesystem;

namespace {

// "Z" (zombie) and "X" (dead) processes have ended; only their entry is left.
bool ended(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size()) return true;
    const char state = line[close + 2];
    return state == 'Z' || state == 'X';
}

// The executable of a process: /proc/<pid>/exe when readable (a program
// file replaced while it runs shows " (deleted)"), else the first word of
// its command line, else its short name.
ProcessEntry entryFor(const std::string& pid) {
    ProcessEntry e;
    e.id = std::stoll(pid);
    struct stat st {};
    e.otherUser = stat(("/proc/" + pid).c_str(), &st) == 0 && st.st_uid != geteuid();
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/" + pid + "/exe", ec);
    if (!ec) {
        std::string s = exe.string();
        const std::string deleted = " (deleted)";
        if (s.size() > deleted.size() && s.ends_with(deleted)) s.resize(s.size() - deleted.size());
        e.exe = s;
        e.name = e.exe.filename().string();
        return e;
    }
    std::ifstream cmdline("/proc/" + pid + "/cmdline", std::ios::binary);
    std::string argv0;
    std::getline(cmdline, argv0, '\0');
    if (!argv0.empty()) {
        e.name = fs::path(argv0).filename().string();
        return e;
    }
    std::ifstream comm("/proc/" + pid + "/comm");
    std::getline(comm, e.name);
    return e;
}

void markAllCloseOnExec() {
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */) == 0) return;
#endif
    long max = sysconf(_SC_OPEN_MAX);
    if (max < 0 || max > 65536) max = 65536;
    for (int fd = 3; fd < max; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
}

class PosixPlatform : public Platform {
public:
    std::vector<ProcessEntry> listProcesses() override {
        std::vector<ProcessEntry> out;
        DIR* dir = opendir("/proc");
        if (!dir) return out;
        while (const dirent* d = readdir(dir)) {
            const std::string pid = d->d_name;
            if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
            if (pid.size() > 9 || ended(pid)) continue;
            out.push_back(entryFor(pid));
        }
        closedir(dir);
        return out;
    }

    StartResult start(const fs::path& program, const std::vector<std::string>& args) override {
        StartResult r;
        std::vector<std::string> words{program.string()};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        const std::string folder = program.parent_path().string();

        // The child reports a failed exec through a pipe that exec closes.
        int report[2];
        if (pipe2(report, O_CLOEXEC) != 0) return {false, 0, std::strerror(errno)};
        const pid_t pid = fork();
        if (pid < 0) {
            const int err = errno;
            close(report[0]);
            close(report[1]);
            return {false, 0, std::strerror(err)};
        }
        if (pid == 0) {
            // Only async-signal-safe calls from here to exec.
            setsid();
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            signal(SIGPIPE, SIG_DFL);
            signal(SIGCHLD, SIG_DFL);
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, 0);
                dup2(null, 1);
                dup2(null, 2);
                if (null > 2) close(null);
            }
            markAllCloseOnExec();
            int err = 0;
            if (chdir(folder.c_str()) != 0) err = errno;
            if (err == 0) {
                execv(argv[0], argv.data());
                err = errno;
            }
            ssize_t ignored = write(report[1], &err, sizeof err);
            (void)ignored;
            _exit(127);
        }
        close(report[1]);
        int err = 0;
        ssize_t n;
        do {
            n = read(report[0], &err, sizeof err);
        } while (n < 0 && errno == EINTR);
        close(report[0]);
        if (n == static_cast<ssize_t>(sizeof err)) {
            waitpid(pid, nullptr, 0);
            return {false, 0, std::strerror(err)};
        }
        r.ok = true;
        r.id = pid;
        return r;
    }

    long long openProcess(long long id) override {
        if (id <= 0 || id > INT_MAX) return 0;
#ifdef SYS_pidfd_open
        const long fd = syscall(SYS_pidfd_open, static_cast<pid_t>(id), 0);
        if (fd >= 0) {
            fds_.push_back({static_cast<int>(fd), static_cast<pid_t>(id)});
            return fd;
        }
#endif
        return 0;
    }

    void waitAndClose(long long handle) override {
        for (auto it = fds_.begin(); it != fds_.end(); ++it) {
            if (it->fd != handle) continue;
            pollfd p{it->fd, POLLIN, 0};
            while (poll(&p, 1, -1) < 0 && errno == EINTR) {
            }
            close(it->fd);
            waitpid(it->pid, nullptr, WNOHANG);  // reap it when it was ours
            fds_.erase(it);
            return;
        }
    }

    void sleep(std::chrono::milliseconds d) override {
        std::this_thread::sleep_for(d);
    }
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }

private:
    struct Open {
        int fd;
        pid_t pid;
    };
    std::vector<Open> fds_;
};

}  // namespace

std::unique_ptr<Platform> systemPlatform() {
    return std::make_unique<PosixPlatform>();
}

fs::path ownPath(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return self;
    return fs::absolute(argv0 ? argv0 : "", ec);
}

std::string commandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

std::vector<std::string> splitParams(const std::string& params) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < params.size()) {
        const std::size_t blank = params.find(' ', start);
        const std::size_t end = blank == std::string::npos ? params.size() : blank;
        if (end > start) out.push_back(params.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

fs::path pathOf(const std::string& text) {
    return fs::path(text);
}

std::string textOf(const fs::path& path) {
    return path.string();
}

fs::path realPath(const fs::path& path, std::error_code& ec) {
    return fs::canonical(path, ec);
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

std::string logText(const std::string& text) {
    return text;
}

bool Files::exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

bool Files::remove(const fs::path& p, std::string& error) {
    std::error_code ec;
    if (fs::remove(p, ec)) return true;
    error = (ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory)).message();
    return false;
}

bool Files::copy(const fs::path& from, const fs::path& to, std::string& error) {
    std::error_code ec;
    if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) return true;
    error = (ec ? ec : std::make_error_code(std::errc::io_error)).message();
    return false;
}

bool Files::install(const fs::path& from, const fs::path& to, std::string& error) {
    std::error_code ec;
    if (orv::installCopy(from, to, ec)) return true;
    error = ec.message();
    return false;
}

}  // namespace zelupdate
