#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "orv/utf8.h"
#include "platform.h"
#include "serialports.h"

namespace zel::platform {

namespace {
// Length prefix, `chars` UTF-16 units and a terminator; the text is for the
// caller to fill.
char16_t* allocBlank(std::size_t chars) {
    const std::size_t bytes = chars * sizeof(char16_t);
    if (bytes > 0x7FFFFFF0u) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(4 + bytes + sizeof(char16_t)));
    if (!block) return nullptr;
    const auto len = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &len, 4);
    auto* str = reinterpret_cast<char16_t*>(block + 4);
    str[chars] = u'\0';
    return str;
}
}  // namespace

char16_t* allocString(std::u16string_view text) {
    char16_t* str = allocBlank(text.size());
    if (str && !text.empty()) std::memcpy(str, text.data(), text.size() * sizeof(char16_t));
    return str;
}

char16_t* allocString(std::string_view ascii) {
    char16_t* str = allocBlank(ascii.size());
    if (str) std::copy(ascii.begin(), ascii.end(), str);
    return str;
}

void freeString(char16_t* s) {
    if (s) std::free(reinterpret_cast<unsigned char*>(s) - 4);
}

std::string moduleFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleFolder), &info) == 0 || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* loadLibrary(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findSymbol(void* lib, const char* name) {
    return dlsym(lib, name);
}

const char* dcicLibraryName() {
    return "libdcic32.so";
}

std::optional<std::vector<std::string>> listSerialPorts() {
    return listSerialPortsIn("/sys");
}

std::string readerNameFromUtf16(std::u16string_view name) {
    return orv::utf8::fromUtf16(name);
}

std::u16string readerNameToUtf16(std::string_view name) {
    return orv::utf8::toUtf16(name);
}

}  // namespace zel::platform
