#include "virtualreader.h"

#include <winscard.h>

#include <stdexcept>

namespace orvtest {

bool VirtualReader::waitFor(bool present, int polls) {
    SCARDCONTEXT ctx = 0;
    if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &ctx) != SCARD_S_SUCCESS)
        return false;
    const std::string reader = name();
    SCARD_READERSTATE st{};
    st.szReader = reader.c_str();
    st.dwCurrentState = SCARD_STATE_UNAWARE;
    bool ok = false;
    // Bounded: `polls` waits of up to 200 ms.
    for (int i = 0; i < polls && !ok; ++i) {
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
    // A card pulled just after its last answer leaves the driver to meet the
    // closed connection in the next reset; the first card inserted after
    // that is not seen, the next one is. So a card not seen within a few
    // polls is pulled and inserted once more.
    for (int attempt = 1;; ++attempt) {
        client_ = std::make_unique<cardsim::VpcdClient>(card_);
        std::string error;
        if (!client_->start("127.0.0.1", static_cast<uint16_t>(35963 + slot_), &error))
            throw std::runtime_error("cannot reach the vpcd driver: " + error);
        if (waitFor(true, attempt < 3 ? 15 : 50)) return;
        if (attempt == 3) throw std::runtime_error("pcscd does not see the virtual card");
        remove();
    }
}

void VirtualReader::remove() {
    if (!client_) return;
    client_->stop();
    client_.reset();
    waitFor(false);
}

}  // namespace orvtest
