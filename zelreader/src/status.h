// Status words and failure codes, named once.
#pragma once

#include <cstdint>

namespace zel::sw {

constexpr int32_t kOk = 0x9000;
constexpr int32_t kWrongLength = 0x6700;
constexpr int32_t kTransport = 0x8400;
constexpr int32_t kRecordNotFound = 0x6A83;
constexpr int32_t kInternal = 0x6F00;

// 9000 or 61xx: a SELECT the card accepted (no GET RESPONSE is sent).
constexpr bool selectAccepted(int32_t s) {
    return s == kOk || (s & 0xFF00) == 0x6100;
}

}  // namespace zel::sw

namespace zel::rc {

// ResetCard failures.
constexpr int32_t kNoContext = -1;  // also: serial port did not open
constexpr int32_t kListSize = -2;
constexpr int32_t kNoMemory = -3;
constexpr int32_t kList = -4;
constexpr int32_t kNoReader = -5;
constexpr int32_t kConnect = -6;
constexpr int32_t kReconnect = -7;
constexpr int32_t kStatus = -8;

constexpr int32_t kCancelled = -1;

}  // namespace zel::rc
