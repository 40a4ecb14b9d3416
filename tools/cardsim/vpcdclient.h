// Plugs an Emulator into the PC/SC stack as a client of the vpcd reader
// driver: TCP to the driver's port; each message is a 2-byte big-endian
// length and a payload. A 1-byte payload is a control message (0 power off,
// 1 power on, 2 reset, 4 get ATR); a longer one is an APDU, answered with
// data + SW1 SW2. Closing the connection pulls the card.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "emulator.h"

namespace cardsim {

class VpcdClient {
public:
    explicit VpcdClient(Emulator& card) : card_(card) {}
    ~VpcdClient() { stop(); }
    VpcdClient(const VpcdClient&) = delete;
    VpcdClient& operator=(const VpcdClient&) = delete;

    // Connects (the card is inserted); false with `error` set on failure.
    bool connect(const std::string& host, uint16_t port, std::string* error);
    // Serves until the driver closes, stop() is called, or the emulator
    // reports the card pulled. Runs on the caller's thread.
    void serve();
    // connect() + serve() on a thread of its own.
    bool start(const std::string& host, uint16_t port, std::string* error);
    // Pulls the card: closes the connection and joins the thread.
    void stop();
    // Makes serve() return; async-signal-safe.
    void interrupt();

private:
    bool readExact(uint8_t* buf, std::size_t n);
    bool send(const Bytes& payload);

    Emulator& card_;
    std::atomic<int> fd_{-1};
    std::thread thread_;
};

}  // namespace cardsim
