#include "shell/NetworkState.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace orv {

namespace {
bool routableInterfaceUp() {
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto f = i.flags();
        if (!f.testFlag(QNetworkInterface::IsUp) || !f.testFlag(QNetworkInterface::IsRunning) ||
            f.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            if (!a.isLoopback() && !a.isLinkLocal()) return true;
        }
    }
    return false;
}
}  // namespace

bool SystemNetworkState::online() {
    if (!tried_) {
        tried_ = true;
        backend_ =
            QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    }
    if (backend_) {
        switch (QNetworkInformation::instance()->reachability()) {
            case QNetworkInformation::Reachability::Online:
                return true;
            case QNetworkInformation::Reachability::Disconnected:
            case QNetworkInformation::Reachability::Local:
            case QNetworkInformation::Reachability::Site:
                return false;
            case QNetworkInformation::Reachability::Unknown:
                break;
        }
    }
    return routableInterfaceUp();
}

}  // namespace orv
