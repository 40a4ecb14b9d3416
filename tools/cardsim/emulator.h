// The card's command processor: answers APDUs from a Card as the user card
// does, with an APDU log and injectable faults. Thread-safe, so that a test
// can look at it while a front end serves it.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "card.h"

namespace cardsim {

struct Faults {
    struct Prefix {
        std::string hex;  // upper-case APDU prefix
        Bytes reply;
    };
    // The reply (normally a status word) to the k-th APDU, 1-based, counted
    // since the faults were set.
    std::optional<std::pair<long, Bytes>> at;
    std::vector<Prefix> prefixes;
    long removeAfter = -1;  // the card is pulled once this many APDUs were answered
    std::chrono::milliseconds delay{0};

    // Parses one option of the form "at=K:REPLY", "prefix=HEX:REPLY",
    // "remove=K" or "delay=MS" (REPLY in hex, normally a status word);
    // false when it is none of them.
    bool parse(const std::string& option);
};

class Emulator {
public:
    explicit Emulator(Card card = {}, std::string imagePath = {});

    void setCard(Card card, std::string imagePath = {});
    Card card() const;
    void setFaults(Faults f);
    // Whether an accepted monitoring record unlocks the card: the summary
    // flag of every EF04 record that awaits unlock (01) becomes 00, as the
    // user card does once the server's record is written. On by default.
    void setUnlockOnMonitor(bool on);

    // Power on / reset: selection is lost. False when the card was pulled.
    bool reset();
    Bytes atr() const;
    // Empty when the card has been pulled (no answer).
    std::optional<Bytes> process(const Bytes& apdu);
    bool removed() const;

    // Writes the card's changes to its image file (if it has one); front ends
    // call it when the card is powered off, reset or pulled.
    void flush();

    // Every APDU received, as upper-case hex, oldest first.
    std::vector<std::string> log() const;
    void clearLog();

private:
    Bytes answer(const Bytes& apdu);
    Bytes select(const Bytes& apdu);
    Bytes readBinary(const Bytes& apdu);
    Bytes readRecord(const Bytes& apdu);
    Bytes updateRecord(const Bytes& apdu);
    Bytes writeMonitor(const Bytes& apdu);

    mutable std::mutex m_;
    Card card_;
    std::string imagePath_;
    Faults faults_;
    long count_ = 0;
    bool removed_ = false;
    bool dirty_ = false;
    bool unlockOnMonitor_ = true;
    bool appSelected_ = false;
    std::optional<uint16_t> ef_;
    std::vector<std::string> log_;
};

}  // namespace cardsim
