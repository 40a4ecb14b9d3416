// Whether the system reports an Internet connection: the status bar's pane
// and the start of the update check.
#pragma once

namespace orv {

class NetworkState {
public:
    virtual ~NetworkState() = default;
    virtual bool online() = 0;
};

// Qt's reachability where a backend knows it. Where none does (no network
// manager running), a network interface that is up, not loopback and holds
// a routable address counts as connected, as the Windows query counts a
// configured connection.
class SystemNetworkState : public NetworkState {
public:
    bool online() override;

private:
    bool tried_ = false;  // the backend is loaded on the first question
    bool backend_ = false;
};

}  // namespace orv
