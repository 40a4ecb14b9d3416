// PC/SC: pcsc-lite and WinSCard offer the same API. The ANSI forms are used
// on Windows (UNICODE is not defined for this library).
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <winscard.h>

namespace zel {

// The PC/SC calls the session makes: the system's, unless a test puts a
// stand-in for the smart-card service in their place (to list reader names
// that no virtual reader can carry).
struct PcscApi {
    decltype(&::SCardEstablishContext) establishContext = &::SCardEstablishContext;
    decltype(&::SCardReleaseContext) releaseContext = &::SCardReleaseContext;
    decltype(&::SCardListReaders) listReaders = &::SCardListReaders;
    decltype(&::SCardConnect) connect = &::SCardConnect;
    decltype(&::SCardReconnect) reconnect = &::SCardReconnect;
    decltype(&::SCardStatus) status = &::SCardStatus;
    decltype(&::SCardDisconnect) disconnect = &::SCardDisconnect;
    decltype(&::SCardTransmit) transmit = &::SCardTransmit;
};

}  // namespace zel
