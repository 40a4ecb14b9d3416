#include "virtualreader.h"

#include <winscard.h>

#include <stdexcept>

namespace orvtest {

bool VirtualReader::waitFor(bool present) {
    SCARDCONTEXT ctx = 0;
    if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &ctx) != SCARD_S_SUCCESS)
        return false;
    const std::string reader = name();
    SCARD_READERSTATE st{};
    st.szReader = reader.c_str();
    st.dwCurrentState = SCARD_STATE_UNAWARE;
    bool ok = false;
    // Bounded: 50 waits of up to 200 ms.
    for (int i = 0; i < 50 && !ok; ++i) {
        if (SCardGetStatusChange(ctx, 200, &st, 1) == SCARD_S_SUCCESS || st.dwEventState != 0) {
            const bool isPresent = (st.dwEventState & SCARD_STATE_PRESENT) != 0;
            ok = isPresent == present;
            st.dwCurrentState = st.dwEventState & ~SCARD_STATE_CHANGED;
        }
    }
    SCardReleaseContext(ctx);
    return ok;
}

void VirtualReader::insert() {
    if (client_) return;
    client_ = std::make_unique<cardsim::VpcdClient>(card_);
    std::string error;
    if (!client_->start("127.0.0.1", static_cast<uint16_t>(35963 + slot_), &error))
        throw std::runtime_error("cannot reach the vpcd driver: " + error);
    if (!waitFor(true)) throw std::runtime_error("pcscd does not see the virtual card");
}

void VirtualReader::remove() {
    if (!client_) return;
    client_->stop();
    client_.reset();
    waitFor(false);
}

}  // namespace orvtest
