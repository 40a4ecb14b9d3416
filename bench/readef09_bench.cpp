// ReadEF09 of the full card (4 machines x 200 days) through pcscd + vpcd +
// the virtual card, against a raw SCardTransmit loop that opens its session
// the same way (connect, reconnect with reset, status) and sends the same
// APDU sequence. The two run in alternating blocks of reads: switching
// between them read by read was seen to slow whichever ran second by up to a
// quarter, through pcscd rather than either side. The median read of each is
// compared.
#include <winscard.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "builder.h"
#include "orv/hex.h"
#include "virtualreader.h"
#include "zelreader.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool rawRound(const std::vector<std::vector<uint8_t>>& apdus, const char* reader) {
    SCARDCONTEXT ctx = 0;
    SCARDHANDLE card = 0;
    DWORD proto = 0;
    if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &ctx) != SCARD_S_SUCCESS)
        return false;
    bool ok = SCardConnect(ctx, reader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                           &card, &proto) == SCARD_S_SUCCESS &&
              SCardReconnect(card, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                             SCARD_RESET_CARD, &proto) == SCARD_S_SUCCESS;
    uint8_t atr[32];
    DWORD atrLen = sizeof atr, state = 0, nameLen = 0;
    ok =
        ok && SCardStatus(card, nullptr, &nameLen, &state, &proto, atr, &atrLen) == SCARD_S_SUCCESS;
    SCARD_IO_REQUEST pci{};
    pci.dwProtocol = proto;
    pci.cbPciLength = sizeof pci;
    uint8_t recv[512];
    for (std::size_t i = 0; ok && i < apdus.size(); ++i) {
        DWORD len = sizeof recv;
        ok = SCardTransmit(card, &pci, apdus[i].data(), static_cast<DWORD>(apdus[i].size()),
                           nullptr, recv, &len) == SCARD_S_SUCCESS;
    }
    if (card) SCardDisconnect(card, SCARD_LEAVE_CARD);
    SCardReleaseContext(ctx);
    return ok;
}

}  // namespace

int main() {
    orvtest::VirtualReader reader(0);
    reader.card().setCard(cardsim::build(cardsim::fullSpec()));
    try {
        reader.insert();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_readef09: %s\n", e.what());
        return 1;
    }
    const std::u16string name(reader.name().begin(), reader.name().end());
    SetReader(name.c_str());

    // One library read to learn the APDU sequence the raw loop replays.
    char16_t* out = nullptr;
    if (ReadEF09(&out, nullptr) != 0x9000) {
        std::fprintf(stderr, "bench_readef09: ReadEF09 failed\n");
        return 1;
    }
    FreeString(out);
    std::vector<std::vector<uint8_t>> apdus;
    for (const std::string& hex : reader.card().log()) {
        apdus.emplace_back();
        orv::hex::decode(hex, apdus.back());
    }

    constexpr int kBlocks = 4, kPerBlock = 5, kRounds = kBlocks * kPerBlock;
    std::vector<double> lib, raw;
    auto timeLib = [&] {
        const auto t0 = Clock::now();
        if (ReadEF09(&out, nullptr) != 0x9000) return false;
        FreeString(out);
        lib.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        return true;
    };
    auto timeRaw = [&] {
        const auto t0 = Clock::now();
        if (!rawRound(apdus, reader.name().c_str())) return false;
        raw.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        return true;
    };
    for (int b = 0; b < kBlocks; ++b) {
        // Alternating blocks, which go first by turns: drift hits both alike.
        for (int pass = 0; pass < 2; ++pass) {
            const bool libTurn = (b + pass) % 2 == 0;
            for (int i = 0; i < kPerBlock; ++i)
                if (!(libTurn ? timeLib() : timeRaw())) return 1;
        }
    }
    const double n = static_cast<double>(apdus.size());
    const double libRate = n / median(lib), rawRate = n / median(raw);
    std::printf("ReadEF09, full card: %zu APDUs per read, %d rounds each\n", apdus.size(), kRounds);
    std::printf("  raw SCardTransmit loop: %9.0f APDUs/s (median %.1f ms)\n", rawRate,
                median(raw) * 1e3);
    std::printf("  zelreader ReadEF09:     %9.0f APDUs/s (median %.1f ms)\n", libRate,
                median(lib) * 1e3);
    std::printf("  time ratio library/raw: %.3f (goal <= 1.05)\n", median(lib) / median(raw));
    return 0;
}
