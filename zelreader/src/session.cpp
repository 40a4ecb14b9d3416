#include "session.h"

#include <cstring>

#include "orv/hex.h"
#include "status.h"

namespace zel {

namespace {
constexpr int32_t kReaderTypeCpu = 12;
constexpr uint16_t kUsbPort = 100;
constexpr std::size_t kMaxReaderName = 99;
// The largest APDU: header, 255 data bytes and Le.
constexpr std::size_t kMaxApdu = 261;

// Serial codes are signed 16-bit values widened to 32 bits.
int32_t widen(int16_t code) {
    return static_cast<int32_t>(code);
}

// Reads a port number like atol: leading decimal digits, 0 when none.
uint16_t leadingNumber(std::string_view s) {
    unsigned long n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        n = n * 10 + static_cast<unsigned long>(c - '0');
        if (n > 0xFFFF) n = 0xFFFF;  // the port is 16-bit; keep it bounded
    }
    return static_cast<uint16_t>(n);
}
}  // namespace

Session& Session::instance() {
    static Session session;
    return session;
}

int32_t Session::listInto(SCARDCONTEXT ctx, std::vector<char>& names) {
    DWORD size = 0;
    lastResult_ = pcsc_.listReaders(ctx, nullptr, nullptr, &size);
    if (lastResult_ != SCARD_S_SUCCESS) return rc::kListSize;
    try {
        names.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return rc::kNoMemory;
    }
    lastResult_ = pcsc_.listReaders(ctx, nullptr, names.data(), &size);
    if (lastResult_ != SCARD_S_SUCCESS) return rc::kList;
    names.resize(size);
    // The list ends in two NULs; one that does not is ended here, so that no
    // name is read past the end of what the service gave.
    names.insert(names.end(), 2, '\0');
    return 0;
}

int32_t Session::listReaders(std::string& text) {
    SCARDCONTEXT ctx = 0;
    lastResult_ = pcsc_.establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &ctx);
    if (lastResult_ != SCARD_S_SUCCESS) return rc::kNoContext;
    std::vector<char> names;
    const int32_t r = listInto(ctx, names);
    pcsc_.releaseContext(ctx);
    if (r != 0) return r;
    int32_t count = 0;
    text.clear();
    for (std::size_t i = 0; i < names.size() && names[i] != '\0';) {
        const std::size_t len = std::strlen(&names[i]);
        text.append(&names[i], len).push_back(';');
        ++count;
        i += len + 1;
    }
    return count;
}

void Session::setReader(std::string_view name) {
    eject();
    if (name.size() > kMaxReaderName) name = {};  // does not fit: taken as no name
    if (name.substr(0, 3) == "COM") {
        mode_ = Mode::Serial;
        port_ = leadingNumber(name.substr(3));
    } else if (name.substr(0, 3) == "USB") {
        mode_ = Mode::Serial;
        port_ = kUsbPort;
    } else {
        mode_ = Mode::Pcsc;
        reader_ = name;
        readerChosen_ = true;
    }
}

int32_t Session::reset() {
    return mode_ == Mode::Serial ? resetSerial() : resetPcsc();
}

int32_t Session::resetSerial() {
    if (serial_ == 0) {
        serial_ = dcic_.initComm(port_);
        if (serial_ == 0) return rc::kNoContext;
        const int16_t t = dcic_.initType(serial_, kReaderTypeCpu);
        if (t != 0) {
            eject();
            return widen(t);
        }
    }
    dcic_.status(serial_);
    std::memset(atr_, 0, sizeof atr_);
    uint8_t atrLen = sizeof atr_;
    const int16_t r = dcic_.cpuReset(serial_, &atrLen, atr_);
    if (r != 0) {
        eject();
        return widen(r);
    }
    atrLen_ = atrLen;
    return 0;
}

int32_t Session::resetPcsc() {
    // A session left open by a caller that skipped EjectCard is closed first,
    // so no context or card handle is ever lost.
    eject();
    lastResult_ = pcsc_.establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_);
    if (lastResult_ != SCARD_S_SUCCESS) {
        context_ = 0;
        return rc::kNoContext;
    }
    if (!readerChosen_) {
        std::vector<char> names;
        const int32_t r = listInto(context_, names);
        if (r != 0) {
            eject();
            return r;
        }
        if (names.empty() || names[0] == '\0') {
            eject();
            return rc::kNoReader;
        }
        reader_ = names.data();
        readerChosen_ = true;
        mode_ = Mode::Pcsc;
    }
    DWORD protocol = 0;
    lastResult_ = pcsc_.connect(context_, reader_.c_str(), SCARD_SHARE_SHARED,
                                SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card_, &protocol);
    if (lastResult_ != SCARD_S_SUCCESS) {
        card_ = 0;
        eject();
        return rc::kConnect;
    }
    lastResult_ = pcsc_.reconnect(card_, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                                  SCARD_RESET_CARD, &protocol);
    if (lastResult_ != SCARD_S_SUCCESS) {
        eject();
        return rc::kReconnect;
    }
    atrLen_ = sizeof atr_;
    std::memset(atr_, 0, sizeof atr_);
    DWORD nameLen = 0;
    lastResult_ = pcsc_.status(card_, nullptr, &nameLen, &state_, &protocol_, atr_, &atrLen_);
    if (lastResult_ != SCARD_S_SUCCESS) {
        eject();
        return rc::kStatus;
    }
    return 0;
}

int32_t Session::eject() {
    if (mode_ == Mode::Serial) {
        if (serial_ != 0) {
            dcic_.down(serial_);
            lastResult_ = dcic_.exitComm(serial_);
            serial_ = 0;
        }
        return static_cast<int32_t>(lastResult_);
    }
    if (card_ != 0) {
        lastResult_ = pcsc_.disconnect(card_, SCARD_LEAVE_CARD);
        card_ = 0;
    }
    if (context_ != 0) {
        lastResult_ = pcsc_.releaseContext(context_);
        context_ = 0;
    }
    return static_cast<int32_t>(lastResult_);
}

int32_t Session::transmit(std::string_view hex) {
    std::vector<uint8_t> apdu;
    if (hex.size() > 2 * kMaxApdu || !orv::hex::decode(hex, apdu) || apdu.empty())
        return sw::kWrongLength;
    return transmit(apdu.data(), apdu.size());
}

int32_t Session::transmit(const uint8_t* apdu, std::size_t size) {
    recvLen_ = 0;
    if (size == 0 || size > kMaxApdu) return sw::kWrongLength;
    if (mode_ == Mode::Serial) {
        if (size > 255) return sw::kWrongLength;  // the serial length is one byte
        uint8_t len = 255;
        const int16_t r = dcic_.cpuApdu(serial_, static_cast<uint8_t>(size), apdu, &len, recv_);
        if (r != 0) return widen(r);
        recvLen_ = len;
    } else {
        if (card_ == 0) return sw::kTransport;
        SCARD_IO_REQUEST pci{};
        pci.dwProtocol = protocol_;
        pci.cbPciLength = sizeof pci;
        DWORD len = sizeof recv_;
        lastResult_ =
            pcsc_.transmit(card_, &pci, apdu, static_cast<DWORD>(size), nullptr, recv_, &len);
        if (lastResult_ != SCARD_S_SUCCESS) return sw::kTransport;
        recvLen_ = len;
    }
    if (recvLen_ < 2) {
        recvLen_ = 0;
        return sw::kTransport;
    }
    return recv_[recvLen_ - 2] * 256 + recv_[recvLen_ - 1];
}

int32_t Session::probeSerial(bool* initFailed) {
    const uint16_t port = port_ == 0 ? kUsbPort : port_;
    *initFailed = true;
    const intptr_t h = dcic_.initComm(port);
    if (h == 0) return 0;
    if (dcic_.initType(h, kReaderTypeCpu) != 0) {
        dcic_.exitComm(h);
        return 0;
    }
    *initFailed = false;
    const int16_t s = dcic_.status(h);
    dcic_.exitComm(h);
    return s >= 0 ? 1 : 0;
}

int32_t Session::readerStatus() {
    std::string ignored;
    bool initFailed = false;
    switch (mode_) {
        case Mode::Pcsc: {
            const int32_t n = listReaders(ignored);
            return n > 0 ? n : 0;
        }
        case Mode::Serial:
            return probeSerial(&initFailed);
        case Mode::Unset: {
            const int32_t n = listReaders(ignored);
            if (n > 0) return n;
            const int32_t s = probeSerial(&initFailed);
            if (initFailed) return 0;
            return s > 0 ? 1 : n;
        }
    }
    return 0;
}

}  // namespace zel
