#include "zellib.h"

#include <dirent.h>
#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

#include "orv/utf8.h"

namespace orvtest {

int openDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

namespace {
template <typename F>
void bind(void* h, F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(h, name));
    if (!f) throw std::runtime_error(std::string("missing export ") + name);
}
}  // namespace

ZelLib::ZelLib(Serial serial) {
    installReaderLibrary(dir_, serial == Serial::Simulator);
    handle_ = dlopen(dir_.file(ORV_ZELREADER_FILE).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(dlerror());
    bind(handle_, GetReaderList, "GetReaderList");
    bind(handle_, SetReader, "SetReader");
    bind(handle_, ResetCard, "ResetCard");
    bind(handle_, EjectCard, "EjectCard");
    bind(handle_, RunCommand, "RunCommand");
    bind(handle_, GetReaderStatus, "GetReaderStatus");
    bind(handle_, GetAllCOMPorts, "GetAllCOMPorts");
    bind(handle_, ReadEF02, "ReadEF02");
    bind(handle_, ReadEF04, "ReadEF04");
    bind(handle_, ReadEF06, "ReadEF06");
    bind(handle_, ReadEF09, "ReadEF09");
    bind(handle_, EchoControls, "EchoControls");
    bind(handle_, ClearEF06, "ClearEF06");
    bind(handle_, ClearEF09, "ClearEF09");
    bind(handle_, FreeString, "FreeString");
}

ZelLib::~ZelLib() {
    if (handle_) {
        EjectCard();
        dlclose(handle_);
    }
}

void ZelLib::select(const std::string& name) {
    const std::u16string wide = orv::utf8::toUtf16(name);
    SetReader(wide.c_str());
}

std::string ZelLib::take(char16_t* s) {
    uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(s) - 4, 4);
    const std::u16string text(s, bytes / 2);
    FreeString(s);
    return orv::utf8::fromUtf16(text);
}

}  // namespace orvtest
