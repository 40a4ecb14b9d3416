// The Windows stand-in for the main program and for update packages, as
// tests/support/standin.cpp is on Linux: started under any name, it appends
// one line about itself to "<its name>.ran" in its folder (its command line
// as Windows passed it, its own path, its file's size, how its window was
// to be shown, its working folder; tab-separated "key=value", UTF-8), then
// stays while "<its name>.hold" exists, at most a minute, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

std::wstring modulePath() {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    return buffer;
}

}  // namespace

int main() {
    const std::wstring self = modulePath();
    std::wstring cwd(32768, L'\0');
    cwd.resize(GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::string show = (startup.dwFlags & STARTF_USESHOWWINDOW)
                                 ? std::to_string(startup.wShowWindow)
                                 : std::string("default");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const unsigned long long size =
        GetFileAttributesExW(self.c_str(), GetFileExInfoStandard, &data)
            ? (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
            : 0;

    const std::string line = "cmdline=" + utf8(GetCommandLineW()) + "\tself=" + utf8(self) +
                             "\tsize=" + std::to_string(size) + "\tshow=" + show +
                             "\tcwd=" + utf8(cwd) + "\n";
    if (FILE* ran = _wfopen((self + L".ran").c_str(), L"ab")) {
        std::fwrite(line.data(), 1, line.size(), ran);
        std::fclose(ran);
    }
    const std::wstring hold = self + L".hold";
    const ULONGLONG until = GetTickCount64() + 60000;
    while (GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount64() < until)
        Sleep(5);
    return 0;
}
