// The reader library's card walks against a card that answers anything: a
// stand-in for the smart-card service answers each APDU with the next
// answer of the input, so that odd lengths, status words and record counts
// reach the file reads and writes through the exports.
//
// Input: the export (byte 0 % 8), flags, the callback's cancel point, the
// export's own argument, then the answers, each a 2-byte big-endian length
// and that many bytes (status word last). An exhausted input is a card
// that went away.
//   0 ReadEF02  1 ReadEF04  2 ReadEF06  3 ReadEF09
//   4 EchoControls (argument: 2-byte length, that many characters)
//   5 ClearEF06  6 ClearEF09 (argument: 256 counts when flags bit 1)
//   7 GetReaderList (argument: the service's reader list, 2-byte length),
//     then RunCommand with the rest of it as hex
//   flags bit 0: a progress callback; flags bit 2: the service refuses the
//   context; bit 3: the connection; bit 4: the reset; bit 5: the status.
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "session.h"
#include "zelreader.h"

namespace {

struct Card {
    orvfuzz::FuzzInput* in = nullptr;
    uint8_t flags = 0;
    int contexts = 0, cards = 0;  // open handles, to catch a leak
    std::string readers;          // as the service lists them
    int callbacks = 0, cancelAt = 0;
    bool raw = false;  // RunCommand: the caller's bytes, however short
};
Card card;

constexpr SCARDCONTEXT kContext = 0x5A;
constexpr SCARDHANDLE kCard = 0xC4;

LONG establish(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT ctx) {
    if (card.flags & 4) return SCARD_E_NO_SERVICE;
    *ctx = kContext;
    ++card.contexts;
    return SCARD_S_SUCCESS;
}

LONG release(SCARDCONTEXT ctx) {
    ORV_FUZZ_CHECK(ctx == kContext);
    --card.contexts;
    return SCARD_S_SUCCESS;
}

LONG list(SCARDCONTEXT ctx, LPCSTR, LPSTR names, LPDWORD size) {
    ORV_FUZZ_CHECK(ctx == kContext);
    const auto need = static_cast<DWORD>(card.readers.size());
    if (names) {
        if (*size < need) return SCARD_E_INSUFFICIENT_BUFFER;
        std::memcpy(names, card.readers.data(), need);
    }
    *size = need;
    return SCARD_S_SUCCESS;
}

LONG connect(SCARDCONTEXT ctx, LPCSTR, DWORD, DWORD, LPSCARDHANDLE handle, LPDWORD protocol) {
    ORV_FUZZ_CHECK(ctx == kContext);
    if (card.flags & 8) return SCARD_E_NO_SMARTCARD;
    *handle = kCard;
    *protocol = SCARD_PROTOCOL_T0;
    ++card.cards;
    return SCARD_S_SUCCESS;
}

LONG reconnect(SCARDHANDLE h, DWORD, DWORD, DWORD, LPDWORD protocol) {
    ORV_FUZZ_CHECK(h == kCard);
    if (card.flags & 16) return SCARD_W_REMOVED_CARD;
    *protocol = SCARD_PROTOCOL_T0;
    return SCARD_S_SUCCESS;
}

LONG status(SCARDHANDLE h, LPSTR, LPDWORD, LPDWORD state, LPDWORD protocol, LPBYTE atr,
            LPDWORD atrLen) {
    ORV_FUZZ_CHECK(h == kCard);
    if (card.flags & 32) return SCARD_E_READER_UNAVAILABLE;
    static const uint8_t kAtr[] = {0x3B, 0x0A, 0x54, 0x49, 0x44, 0x30, 0x31};
    ORV_FUZZ_CHECK(*atrLen >= sizeof kAtr);
    std::memcpy(atr, kAtr, sizeof kAtr);
    *atrLen = sizeof kAtr;
    *state = SCARD_SPECIFIC;
    *protocol = SCARD_PROTOCOL_T0;
    return SCARD_S_SUCCESS;
}

LONG disconnect(SCARDHANDLE h, DWORD) {
    ORV_FUZZ_CHECK(h == kCard);
    --card.cards;
    return SCARD_S_SUCCESS;
}

LONG transmit(SCARDHANDLE h, LPCSCARD_IO_REQUEST, LPCBYTE apdu, DWORD apduLen, LPSCARD_IO_REQUEST,
              LPBYTE recv, LPDWORD recvLen) {
    ORV_FUZZ_CHECK(h == kCard);
    // The walks send whole commands; RunCommand sends what its caller gave.
    ORV_FUZZ_CHECK(apduLen >= (card.raw ? 1u : 4u) && apduLen <= 261);
    volatile uint8_t sink = 0;
    for (DWORD i = 0; i < apduLen; ++i)
        sink = sink ^ apdu[i];  // the whole command must be readable
    if (card.in->left() < 2) return SCARD_W_REMOVED_CARD;
    const uint16_t n = card.in->u16();
    const std::string_view answer = card.in->bytes(n);
    if (answer.size() > *recvLen) return SCARD_E_INSUFFICIENT_BUFFER;
    std::memcpy(recv, answer.data(), answer.size());
    *recvLen = static_cast<DWORD>(answer.size());
    return SCARD_S_SUCCESS;
}

void progress(int32_t record, int32_t subRecord, int32_t* cancel) {
    ORV_FUZZ_CHECK(record >= 1 && record <= 255);
    ORV_FUZZ_CHECK(subRecord >= 1 && subRecord <= 255);
    ORV_FUZZ_CHECK(cancel != nullptr);
    if (++card.callbacks == card.cancelAt) *cancel = 1;
}

zel::PcscApi fakeService() {
    zel::PcscApi api;
    api.establishContext = establish;
    api.releaseContext = release;
    api.listReaders = list;
    api.connect = connect;
    api.reconnect = reconnect;
    api.status = status;
    api.disconnect = disconnect;
    api.transmit = transmit;
    return api;
}

bool hexOrSeparator(char16_t c, bool separators) {
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) return true;
    return separators && (c == u'#' || c == u'|');
}

// A file read: the text only on success, and then card hex (with the
// separators of the record files).
void read(int32_t (*f)(char16_t**), bool separators) {
    char16_t* out = nullptr;
    const int32_t r = f(&out);
    if (r != ZEL_SW_OK) {
        ORV_FUZZ_CHECK(out == nullptr);
        return;
    }
    ORV_FUZZ_CHECK(out != nullptr);
    std::size_t n = 0;
    for (; out[n]; ++n)
        ORV_FUZZ_CHECK(hexOrSeparator(out[n], separators));
    if (!separators) ORV_FUZZ_CHECK(n % 2 == 0);
    FreeString(out);
}

ZelProgress callback() {
    return card.flags & 1 ? progress : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zel::Session::instance().setPcsc(fakeService());
    SetReader(u"Fuzz Reader 00 00");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    orvfuzz::FuzzInput in(data, size);
    card = Card{};
    card.in = &in;
    const int op = in.byte() % 8;
    card.flags = in.byte();
    card.cancelAt = in.byte();

    switch (op) {
        case 0:
            read(ReadEF02, false);
            break;
        case 1:
            read(ReadEF04, true);
            break;
        case 2:
            read([](char16_t** out) { return ReadEF06(out, callback()); }, true);
            break;
        case 3:
            read([](char16_t** out) { return ReadEF09(out, callback()); }, true);
            break;
        case 4: {
            const std::string_view text = in.bytes(in.u16());
            const std::u16string records(text.begin(), text.end());  // Latin-1
            EchoControls(records.c_str());
            break;
        }
        case 5:
        case 6: {
            uint8_t counts[256] = {};
            const bool given = card.flags & 2;
            if (given) {
                const std::string_view c = in.bytes(sizeof counts);
                std::memcpy(counts, c.data(), c.size());
            }
            (op == 5 ? ClearEF06 : ClearEF09)(given ? counts : nullptr, callback());
            break;
        }
        case 7: {
            card.readers = std::string(in.bytes(in.u16()));
            char16_t* out = nullptr;
            if (GetReaderList(&out) >= 0) FreeString(out);
            const std::string hex(in.bytes(in.u16()));
            card.raw = true;
            if (ResetCard() == 0) RunCommand(hex.c_str());
            EjectCard();
            break;
        }
    }
    // Every export closes what it opened, however the card answered.
    ORV_FUZZ_CHECK(card.contexts == 0);
    ORV_FUZZ_CHECK(card.cards == 0);
    return 0;
}
