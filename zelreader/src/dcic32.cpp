#include "dcic32.h"

#include "platform.h"

namespace zel {

namespace {
// A code for "no library": the serial port counts as not opened.
constexpr int16_t kNoLibrary = -1;

template <typename F>
F bind(void* lib, const char* name) {
    return reinterpret_cast<F>(platform::findSymbol(lib, name));
}
}  // namespace

bool Dcic32::load() {
    if (lib_) return true;
    const char* name = platform::dcicLibraryName();
    void* lib = platform::loadLibrary(platform::moduleFolder() + name);
    if (!lib) lib = platform::loadLibrary(name);
    if (!lib) return false;
    initComm_ = bind<InitComm>(lib, "IC_InitComm");
    exitComm_ = bind<HandleOnly>(lib, "IC_ExitComm");
    initType_ = bind<InitType>(lib, "IC_InitType");
    status_ = bind<HandleOnly>(lib, "IC_Status");
    down_ = bind<HandleOnly>(lib, "IC_Down");
    cpuReset_ = bind<CpuReset>(lib, "IC_CpuReset");
    cpuApdu_ = bind<CpuApdu>(lib, "IC_CpuApdu");
    if (!initComm_ || !exitComm_ || !initType_ || !status_ || !down_ || !cpuReset_ || !cpuApdu_)
        return false;  // an incomplete library is never used
    lib_ = lib;
    return true;
}

intptr_t Dcic32::initComm(uint16_t port) {
    return load() ? initComm_(port) : 0;
}
int16_t Dcic32::exitComm(intptr_t h) {
    return lib_ ? exitComm_(h) : kNoLibrary;
}
int16_t Dcic32::initType(intptr_t h, int32_t type) {
    return lib_ ? initType_(h, type) : kNoLibrary;
}
int16_t Dcic32::status(intptr_t h) {
    return lib_ ? status_(h) : kNoLibrary;
}
int16_t Dcic32::down(intptr_t h) {
    return lib_ ? down_(h) : kNoLibrary;
}
int16_t Dcic32::cpuReset(intptr_t h, uint8_t* atrLen, uint8_t* atr) {
    return lib_ ? cpuReset_(h, atrLen, atr) : kNoLibrary;
}
int16_t Dcic32::cpuApdu(intptr_t h, uint8_t sendLen, const uint8_t* send, uint8_t* recvLen,
                        uint8_t* recv) {
    return lib_ ? cpuApdu_(h, sendLen, send, recvLen, recv) : kNoLibrary;
}

}  // namespace zel
