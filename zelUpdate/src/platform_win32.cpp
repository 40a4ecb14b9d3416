// The updater on Windows: processes from a Toolhelp snapshot, programs
// started with CreateProcess, waits on a process handle, files through the
// wide-character file calls. Names are UTF-8 inside the updater, UTF-16 at
// every system call; the log gets the ANSI code page.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>

#include "CommandLine.h"
#include "Platform.h"
#include "Updater.h"
#include "orv/fileinstall.h"
#include "orv/gbk.h"
#include "orv/utf8.h"

namespace zelupdate {

namespace fs = std::filesystem;

namespace {

// The longest path the wide-character calls take.
constexpr DWORD kLongestPath = 32768;
// More processes than any desktop runs; the walk stops there.
constexpr std::size_t kMostProcesses = 65536;

std::wstring wide(const std::string& utf8) {
    const std::u16string w = orv::utf8::toUtf16(utf8);
    return std::wstring(w.begin(), w.end());
}

std::string utf8Of(std::wstring_view w) {
    return orv::utf8::fromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

// The system's description of an error, in the user's language, without the
// line break FormatMessage ends it with.
std::string describe(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : utf8Of(text);
}

bool fail(std::string& error) {
    error = describe(GetLastError());
    return false;
}

// A handle that only tells about the file or folder (no read or write
// access, every sharing mode), so that it opens whatever else holds it.
HANDLE openForInfo(const fs::path& p) {
    return CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

class Win32Platform : public Platform {
public:
    ~Win32Platform() override {
        for (const Started& s : started_)
            CloseHandle(s.process);
        for (HANDLE h : opened_)
            CloseHandle(h);
    }

    std::vector<ProcessEntry> listProcesses() override {
        std::vector<ProcessEntry> out;
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return out;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        std::vector<wchar_t> image(kLongestPath);
        for (BOOL more = Process32FirstW(snapshot, &entry); more && out.size() < kMostProcesses;
             more = Process32NextW(snapshot, &entry)) {
            ProcessEntry p;
            const std::size_t length =
                std::find(std::begin(entry.szExeFile), std::end(entry.szExeFile), L'\0') -
                std::begin(entry.szExeFile);
            p.name = utf8Of(std::wstring_view(entry.szExeFile, length));
            p.id = entry.th32ProcessID;
            // A process that has ended stays in the list while someone holds
            // a handle to it; it no longer holds the update up.
            if (const HANDLE h =
                    OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
                DWORD code = 0;
                const bool ended = GetExitCodeProcess(h, &code) && code != STILL_ACTIVE;
                DWORD size = kLongestPath;
                if (!ended && QueryFullProcessImageNameW(h, 0, image.data(), &size))
                    p.exe = fs::path(std::wstring(image.data(), size));
                CloseHandle(h);
                if (ended) continue;
            }
            // Without its path, a process of another session (another user's
            // desktop) is not the program this updater waits for.
            DWORD session = 0;
            if (p.exe.empty() && ProcessIdToSessionId(entry.th32ProcessID, &session))
                p.otherUser = session != ownSession_;
            out.push_back(std::move(p));
        }
        CloseHandle(snapshot);
        return out;
    }

    StartResult start(const fs::path& program, const std::vector<std::string>& args) override {
        // The program is named on its own as well, so that nothing is
        // searched for; in the command line it is quoted, for folders with
        // blanks, and the parameters follow it directly.
        const std::wstring application = program.native();
        std::wstring line = L"\"" + application + L"\"";
        for (const std::string& a : args)
            line += wide(a);
        const std::wstring folder = program.parent_path().native();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION info{};
        // No handle of the updater is inherited.
        if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE,
                            CREATE_DEFAULT_ERROR_MODE, nullptr, folder.c_str(), &startup, &info))
            return {false, 0, describe(GetLastError())};
        CloseHandle(info.hThread);
        // Held until the process is opened for the wait: while a handle is
        // open its identifier cannot pass to another process.
        started_.push_back({info.dwProcessId, info.hProcess});
        return {true, info.dwProcessId, {}};
    }

    long long openProcess(long long id) override {
        if (id <= 0 || id > static_cast<long long>(UINT32_MAX)) return 0;
        const HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
        for (auto it = started_.begin(); it != started_.end(); ++it) {
            if (it->id != id) continue;
            CloseHandle(it->process);
            started_.erase(it);
            break;
        }
        if (!h) return 0;
        opened_.push_back(h);
        return static_cast<long long>(reinterpret_cast<std::intptr_t>(h));
    }

    void waitAndClose(long long handle) override {
        for (auto it = opened_.begin(); it != opened_.end(); ++it) {
            if (reinterpret_cast<std::intptr_t>(*it) != handle) continue;
            WaitForSingleObject(*it, INFINITE);
            CloseHandle(*it);
            opened_.erase(it);
            return;
        }
    }

    void sleep(std::chrono::milliseconds d) override {
        Sleep(static_cast<DWORD>(std::clamp<long long>(d.count(), 0, INFINITE - 1)));
    }
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }

private:
    struct Started {
        DWORD id;
        HANDLE process;
    };
    std::vector<Started> started_;
    std::vector<HANDLE> opened_;
    const DWORD ownSession_ = [] {
        DWORD session = 0;
        return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : DWORD(-1);
    }();
};

}  // namespace

std::unique_ptr<Platform> systemPlatform() {
    return std::make_unique<Win32Platform>();
}

fs::path ownPath(const char* argv0) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) break;
        if (n < buffer.size()) return fs::path(std::wstring(buffer.data(), n));
        if (buffer.size() >= kLongestPath) break;
        buffer.resize(buffer.size() * 2);
    }
    std::error_code ec;
    return fs::absolute(pathOf(argv0 ? argv0 : ""), ec);
}

// Windows hands a program its command line as one text; argv is the C
// runtime's guess at words, which the updater does not use.
std::string commandLine(int, char**) {
    const std::string line = utf8Of(GetCommandLineW());
    return std::string(afterProgramName(line));
}

std::vector<std::string> splitParams(const std::string& params) {
    if (params.empty()) return {};
    return {params};
}

fs::path pathOf(const std::string& text) {
    return fs::path(wide(text));
}

std::string textOf(const fs::path& path) {
    return utf8Of(path.native());
}

fs::path realPath(const fs::path& path, std::error_code& ec) {
    ec.clear();
    const HANDLE h = openForInfo(path);
    if (h == INVALID_HANDLE_VALUE) {
        ec.assign(static_cast<int>(GetLastError()), std::system_category());
        return {};
    }
    std::vector<wchar_t> buffer(kLongestPath);
    const DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (n == 0 || n >= buffer.size()) {
        ec.assign(static_cast<int>(n == 0 ? error : ERROR_BUFFER_OVERFLOW), std::system_category());
        return {};
    }
    // "\\?\C:\dir" and "\\?\UNC\server\share\dir" in the form the other
    // calls give: "C:\dir", "\\server\share\dir".
    std::wstring real(buffer.data(), n);
    if (real.rfind(L"\\\\?\\UNC\\", 0) == 0)
        real = L"\\\\" + real.substr(8);
    else if (real.rfind(L"\\\\?\\", 0) == 0)
        real = real.substr(4);
    return fs::path(real);
}

bool sameFile(const fs::path& a, const fs::path& b) {
    BY_HANDLE_FILE_INFORMATION info[2]{};
    const fs::path* paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        const HANDLE h = openForInfo(*paths[i]);
        if (h == INVALID_HANDLE_VALUE) return false;
        const BOOL ok = GetFileInformationByHandle(h, &info[i]);
        CloseHandle(h);
        if (!ok) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

std::string logText(const std::string& text) {
    return orv::gbk::fromUtf8(text);
}

bool Files::exists(const fs::path& p) {
    return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Files::remove(const fs::path& p, std::string& error) {
    return DeleteFileW(p.c_str()) || fail(error);
}

bool Files::copy(const fs::path& from, const fs::path& to, std::string& error) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) || fail(error);
}

// The new file is written beside the target and moved over it in one step,
// so that the folder holds the old program or the whole new one.
bool Files::install(const fs::path& from, const fs::path& to, std::string& error) {
    const fs::path tmp = orv::installTempName(to);
    DeleteFileW(tmp.c_str());  // left over from an interrupted run
    if (!CopyFileW(from.c_str(), tmp.c_str(), FALSE)) return fail(error);
    // A read-only copy could not be replaced by the next update.
    const DWORD attributes = GetFileAttributesW(tmp.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(tmp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    // The copy is on the disk before the rename is: a power cut must not
    // leave an empty program.
    std::error_code synced;
    if (!orv::syncFile(tmp, synced)) {
        error = describe(static_cast<DWORD>(synced.value()));
        DeleteFileW(tmp.c_str());
        return false;
    }
    if (MoveFileExW(tmp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    fail(error);
    DeleteFileW(tmp.c_str());
    return false;
}

}  // namespace zelupdate
