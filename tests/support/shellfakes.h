// Stand-ins for what the program asks of the system, for tests of its
// windows: the desktop's open action and program start (recorded) and the
// network state (as the test sets).
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

#include "gui/Desktop.h"
#include "shell/NetworkState.h"

namespace orvtest {

class RecordingDesktop : public orv::DesktopActions {
public:
    QList<QUrl> opened;
    QStringList started;
    bool openUrl(const QUrl& url) override {
        opened << url;
        return true;
    }
    bool startProgram(const QString& program, const QStringList&) override {
        started << program;
        return true;
    }
};

class FixedNetworkState : public orv::NetworkState {
public:
    bool up = false;
    bool online() override { return up; }
};

}  // namespace orvtest
