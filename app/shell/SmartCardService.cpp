#include "shell/SmartCardService.h"

#include <utility>

namespace orv {

SystemSmartCardService::SystemSmartCardService()
    : SystemSmartCardService(defaultSocketPath(), startDetached) {}

SystemSmartCardService::SystemSmartCardService(QString socketPath, Launch launch)
    : socketPath_(std::move(socketPath)), launch_(std::move(launch)) {}

}  // namespace orv
