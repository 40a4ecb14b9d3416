// The library's one card session and reader selection, shared by every
// export. Called from one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dcic32.h"
#include "pcsc.h"

namespace zel {

class Session {
public:
    static Session& instance();

    // GetReaderList: names joined as "a;b;", with a context of its own.
    int32_t listReaders(std::string& text);
    // SetReader with the name already as PC/SC takes it (see
    // platform::readerNameFromUtf16).
    void setReader(std::string_view name);
    int32_t reset();  // ResetCard
    int32_t eject();  // EjectCard
    int32_t readerStatus();
    // RunCommand: status word; the response data stays in response().
    int32_t transmit(std::string_view hex);
    int32_t transmit(const uint8_t* apdu, std::size_t size);
    const uint8_t* responseData() const { return recv_; }
    std::size_t responseLength() const { return recvLen_ >= 2 ? recvLen_ - 2 : 0; }
    // Where reads build their hex text; kept between calls so that its
    // memory is reused.
    std::string& textBuffer() { return text_; }
    // Tests only: the PC/SC functions to call from now on.
    void setPcsc(const PcscApi& api) { pcsc_ = api; }

private:
    enum class Mode { Unset, Pcsc, Serial };

    int32_t resetSerial();
    int32_t resetPcsc();
    int32_t probeSerial(bool* initFailed);
    // Lists readers into `names` with an established context.
    int32_t listInto(SCARDCONTEXT ctx, std::vector<char>& names);

    Mode mode_ = Mode::Unset;
    std::string reader_;
    bool readerChosen_ = false;
    uint16_t port_ = 0;
    intptr_t serial_ = 0;
    SCARDCONTEXT context_ = 0;
    SCARDHANDLE card_ = 0;
    DWORD protocol_ = 0;
    DWORD state_ = 0;
    uint8_t atr_[32] = {};
    DWORD atrLen_ = 0;
    long lastResult_ = 0;
    uint8_t recv_[512] = {};
    std::size_t recvLen_ = 0;
    std::string text_;
    Dcic32 dcic_;
    PcscApi pcsc_;
};

}  // namespace zel
