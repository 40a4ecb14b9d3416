// The virtual card inserted into a vpcd reader of the running pcscd:
// "Virtual PCD 00 00" (port 35963) or "Virtual PCD 00 01" (35964).
#pragma once

#include <memory>
#include <string>

#include "emulator.h"
#include "vpcdclient.h"

namespace orvtest {

inline constexpr const char* kReader0 = "Virtual PCD 00 00";
inline constexpr const char* kReader1 = "Virtual PCD 00 01";

class VirtualReader {
public:
    explicit VirtualReader(int slot = 0) : slot_(slot) {}
    ~VirtualReader() { remove(); }

    cardsim::Emulator& card() { return card_; }
    std::string name() const { return slot_ == 0 ? kReader0 : kReader1; }

    // Inserts the card and waits until pcscd reports it present.
    void insert();
    // Pulls the card and waits until pcscd reports it gone.
    void remove();
    // Waits (bounded: `polls` times up to 200 ms) until the reader reports
    // the card present or absent.
    bool waitFor(bool present, int polls = 50);

private:
    int slot_;
    cardsim::Emulator card_;
    std::unique_ptr<cardsim::VpcdClient> client_;
};

}  // namespace orvtest
