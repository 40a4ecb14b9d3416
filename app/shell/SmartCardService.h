// Asks the system to start the smart-card service and keep it starting with
// the system. Never waited for and never reported: the machine may lack the
// right, and the reader library copes with a stopped service.
#pragma once

namespace orv {

class SmartCardService {
public:
    virtual ~SmartCardService() = default;
    virtual void start() = 0;
};

// The system's own tool, started detached with its output discarded:
// systemctl for pcscd's socket on Linux, sc for SCardSvr on Windows.
class SystemSmartCardService : public SmartCardService {
public:
    void start() override;
};

}  // namespace orv
