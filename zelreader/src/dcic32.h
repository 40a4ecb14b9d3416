// The serial reader maker's library, bound by name at run time from this
// library's folder first, then from the system search path.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define DCIC_CALL __stdcall
#else
#define DCIC_CALL
#endif

namespace zel {

class Dcic32 {
public:
    // False when the library or one of its functions cannot be found; the
    // functions below then report failure and call nothing.
    bool load();

    intptr_t initComm(uint16_t port);  // 0 = failure
    int16_t exitComm(intptr_t h);
    int16_t initType(intptr_t h, int32_t type);  // 0 = success
    int16_t status(intptr_t h);                  // >= 0: a reader answers
    int16_t down(intptr_t h);
    int16_t cpuReset(intptr_t h, uint8_t* atrLen, uint8_t* atr);  // 0 = success
    int16_t cpuApdu(intptr_t h, uint8_t sendLen, const uint8_t* send, uint8_t* recvLen,
                    uint8_t* recv);  // 0 = success

private:
    using InitComm = intptr_t(DCIC_CALL*)(uint16_t);
    using HandleOnly = int16_t(DCIC_CALL*)(intptr_t);
    using InitType = int16_t(DCIC_CALL*)(intptr_t, int32_t);
    using CpuReset = int16_t(DCIC_CALL*)(intptr_t, uint8_t*, uint8_t*);
    using CpuApdu = int16_t(DCIC_CALL*)(intptr_t, uint8_t, const uint8_t*, uint8_t*, uint8_t*);

    void* lib_ = nullptr;
    InitComm initComm_ = nullptr;
    HandleOnly exitComm_ = nullptr;
    InitType initType_ = nullptr;
    HandleOnly status_ = nullptr;
    HandleOnly down_ = nullptr;
    CpuReset cpuReset_ = nullptr;
    CpuApdu cpuApdu_ = nullptr;
};

}  // namespace zel
