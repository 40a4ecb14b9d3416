// windows.h must come first.
#include <windows.h>

#include <oleauto.h>

#include "orv/gbk.h"
#include "platform.h"

namespace zel::platform {

char16_t* allocString(std::u16string_view text) {
    BSTR s = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()));
    return reinterpret_cast<char16_t*>(s);
}

char16_t* allocString(std::string_view ascii) {
    BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(ascii.size()));
    if (s) {
        for (std::size_t i = 0; i < ascii.size(); ++i)
            s[i] = static_cast<OLECHAR>(ascii[i]);
    }
    return reinterpret_cast<char16_t*>(s);
}

void freeString(char16_t* s) {
    if (s) SysFreeString(reinterpret_cast<BSTR>(s));
}

std::string moduleFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&moduleFolder), &self))
        return {};
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string p(path, n);
    const auto slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

void* loadLibrary(const std::string& path) {
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* findSymbol(void* lib, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}

const char* dcicLibraryName() {
    return "DCIC32.dll";
}

std::optional<std::vector<std::string>> listSerialPorts() {
    std::vector<std::string> ports;
    HKEY key = nullptr;
    // No key, or no answer from it: the list cannot be read (not an empty
    // list), and GetAllCOMPorts leaves its out-parameter alone.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD values = 0, maxName = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         &maxName, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return std::nullopt;
    }
    std::string name(maxName + 1, '\0');
    // A port name longer than 5 characters ends the enumeration; at most 100.
    for (DWORD i = 0; i < values && ports.size() < 100; ++i) {
        DWORD nameLen = maxName + 1;
        BYTE data[6] = {};
        DWORD dataLen = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLen, nullptr, &type, data, &dataLen) !=
            ERROR_SUCCESS)
            break;
        std::string port(reinterpret_cast<char*>(data), dataLen);
        port = port.c_str();  // cut at the terminator
        ports.push_back(port);
    }
    RegCloseKey(key);
    return ports;
}

// WinSCard's ANSI functions take and give the ANSI code page (GBK).
std::string readerNameFromUtf16(std::u16string_view name) {
    return orv::gbk::fromUtf16(name);
}

std::u16string readerNameToUtf16(std::string_view name) {
    return orv::gbk::toUtf16(name);
}

}  // namespace zel::platform
