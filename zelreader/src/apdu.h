// Command APDUs of the user card, built as bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Apdu {
    uint8_t bytes[261];
    std::size_t size = 0;

    Apdu(uint8_t cla, uint8_t ins, uint8_t p1, uint8_t p2) : bytes{cla, ins, p1, p2}, size(4) {}
    Apdu& add(uint8_t b) {
        bytes[size++] = b;
        return *this;
    }
};

inline Apdu selectFile(uint16_t fid) {
    return Apdu(0x00, 0xA4, 0x00, 0x00)
        .add(2)
        .add(static_cast<uint8_t>(fid >> 8))
        .add(static_cast<uint8_t>(fid));
}

inline Apdu selectApplication() {  // by name: "TID01"
    Apdu a(0x00, 0xA4, 0x04, 0x00);
    a.add(5);
    for (char c : {'T', 'I', 'D', '0', '1'})
        a.add(static_cast<uint8_t>(c));
    return a;
}

inline Apdu readBinary(uint8_t le) {
    return Apdu(0x00, 0xB0, 0x00, 0x00).add(le);
}

// P2 = 04: P1 is a record number.
inline Apdu readRecord(uint8_t n, uint8_t le) {
    return Apdu(0x00, 0xB2, n, 0x04).add(le);
}

inline Apdu updateRecordZeros(uint8_t m, uint8_t len) {
    Apdu a(0x00, 0xDC, m, 0x04);
    a.add(len);
    for (int i = 0; i < len; ++i)
        a.add(0);
    return a;
}

// The monitoring record write, addressed to the application itself.
inline Apdu writeMonitor(const uint8_t* record, uint8_t len) {
    Apdu a(0xC0, 0xE8, 0x00, 0x00);
    a.add(len);
    for (int i = 0; i < len; ++i)
        a.add(record[i]);
    return a;
}

}  // namespace zel
