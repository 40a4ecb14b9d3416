// libdcic32.so (DCIC32.dll on Windows) simulator: the serial reader
// maker's seven functions, backed in-process by the virtual card, so
// serial-mode tests need no daemon.
//
// Environment (read at every call, so a test may change it between calls):
//   ZELSIM_CARD     card image file; writes go back to it when the port closes
//   ZELSIM_PORTS    comma-separated port numbers that have a reader (default: all)
//   ZELSIM_INITTYPE result of IC_InitType (decimal, default 0)
//   ZELSIM_STATUS   result of IC_Status (decimal, default 0)
//   ZELSIM_CODES    comma-separated hex codes that successive IC_CpuReset calls
//                   return before they succeed, e.g. FF7A,FF3F
//   ZELSIM_FAULTS   semicolon-separated card faults (at=K:SW, prefix=HEX:SW,
//                   remove=K, delay=MS); a pulled card answers APDUs and
//                   resets with kNoCard
//   ZELSIM_NO_UNLOCK  when set (non-empty), an accepted monitoring record
//                   leaves the summary flag of EF04 as it is
//   ZELSIM_LOG      file that gets one line per call and per APDU (hex)
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "emulator.h"
#include "orv/hex.h"

// The maker's library is __stdcall on Windows (DCIC32.dll, undecorated
// names through dcic32sim.def), the platform's default elsewhere.
#ifdef _WIN32
#define SIM_EXPORT __declspec(dllexport)
#define SIM_CALL __stdcall
#else
#define SIM_EXPORT __attribute__((visibility("default")))
#define SIM_CALL
#endif

namespace {

constexpr int16_t kNoCard = -16;

struct Simulator {
    std::mutex m;
    cardsim::Emulator card;
    std::string image;
    std::string faultSpec;
    std::string codeSpec;
    std::size_t codeIndex = 0;
    intptr_t nextHandle = 1;
};

Simulator& sim() {
    static Simulator s;
    return s;
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

void log(const std::string& line) {
    const std::string path = env("ZELSIM_LOG");
    if (path.empty()) return;
    std::ofstream f(path, std::ios::app);
    f << line << "\n";
}

long envNumber(const char* name, long fallback) {
    const std::string v = env(name);
    return v.empty() ? fallback : std::strtol(v.c_str(), nullptr, 10);
}

// Reloads the card when the image or the fault options changed.
void refresh(Simulator& s) {
    const std::string image = env("ZELSIM_CARD");
    if (image != s.image) {
        cardsim::Card card;
        if (!image.empty()) cardsim::Card::load(image, card, nullptr);
        s.card.setCard(std::move(card), image);
        s.image = image;
    }
    const std::string faults = env("ZELSIM_FAULTS");
    if (faults != s.faultSpec) {
        cardsim::Faults f;
        std::istringstream in(faults);
        for (std::string opt; std::getline(in, opt, ';');)
            if (!opt.empty()) f.parse(opt);
        s.card.setFaults(f);
        s.faultSpec = faults;
    }
    s.card.setUnlockOnMonitor(env("ZELSIM_NO_UNLOCK").empty());
    const std::string codes = env("ZELSIM_CODES");
    if (codes != s.codeSpec) {
        s.codeSpec = codes;
        s.codeIndex = 0;
    }
}

// The next injected reset code, or 0 when none is left.
int16_t nextResetCode(Simulator& s) {
    std::istringstream in(s.codeSpec);
    std::size_t i = 0;
    for (std::string item; std::getline(in, item, ',');) {
        if (i++ == s.codeIndex) {
            ++s.codeIndex;
            return static_cast<int16_t>(std::strtol(item.c_str(), nullptr, 16));
        }
    }
    return 0;
}

bool portHasReader(uint16_t port) {
    const std::string ports = env("ZELSIM_PORTS");
    if (ports.empty()) return true;
    std::istringstream in(ports);
    for (std::string item; std::getline(in, item, ',');)
        if (std::strtol(item.c_str(), nullptr, 10) == port) return true;
    return false;
}

}  // namespace

extern "C" {

SIM_EXPORT intptr_t SIM_CALL IC_InitComm(uint16_t port) {
    Simulator& s = sim();
    std::lock_guard lock(s.m);
    log("IC_InitComm " + std::to_string(port));
    if (!portHasReader(port)) return 0;
    refresh(s);
    return s.nextHandle++;
}

SIM_EXPORT int16_t SIM_CALL IC_ExitComm(intptr_t) {
    Simulator& s = sim();
    std::lock_guard lock(s.m);
    log("IC_ExitComm");
    s.card.flush();
    return 0;
}

SIM_EXPORT int16_t SIM_CALL IC_InitType(intptr_t, int32_t type) {
    std::lock_guard lock(sim().m);
    log("IC_InitType " + std::to_string(type));
    return static_cast<int16_t>(envNumber("ZELSIM_INITTYPE", 0));
}

SIM_EXPORT int16_t SIM_CALL IC_Status(intptr_t) {
    std::lock_guard lock(sim().m);
    log("IC_Status");
    return static_cast<int16_t>(envNumber("ZELSIM_STATUS", 0));
}

SIM_EXPORT int16_t SIM_CALL IC_Down(intptr_t) {
    std::lock_guard lock(sim().m);
    log("IC_Down");
    return 0;
}

SIM_EXPORT int16_t SIM_CALL IC_CpuReset(intptr_t, uint8_t* atrLen, uint8_t* atr) {
    Simulator& s = sim();
    std::lock_guard lock(s.m);
    log("IC_CpuReset");
    refresh(s);
    const int16_t code = nextResetCode(s);
    if (code != 0) return code;
    if (!s.card.reset()) return kNoCard;
    const cardsim::Bytes a = s.card.atr();
    const std::size_t n = std::min<std::size_t>(a.size(), *atrLen);
    std::copy(a.begin(), a.begin() + static_cast<long>(n), atr);
    *atrLen = static_cast<uint8_t>(n);
    return 0;
}

SIM_EXPORT int16_t SIM_CALL IC_CpuApdu(intptr_t, uint8_t sendLen, const uint8_t* send,
                                       uint8_t* recvLen, uint8_t* recv) {
    Simulator& s = sim();
    std::lock_guard lock(s.m);
    const cardsim::Bytes apdu(send, send + sendLen);
    log(orv::hex::encode(apdu));
    const auto reply = s.card.process(apdu);
    if (!reply) return kNoCard;
    if (reply->size() > *recvLen) return -1;
    std::copy(reply->begin(), reply->end(), recv);
    *recvLen = static_cast<uint8_t>(reply->size());
    return 0;
}

}  // extern "C"
