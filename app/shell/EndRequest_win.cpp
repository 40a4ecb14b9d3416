// Windows tells a program with windows that the session ends by window
// messages, not by console control events: a GUI program has no console,
// so a console control handler would never be called. Qt turns
// WM_QUERYENDSESSION into commitDataRequest and, on WM_ENDSESSION, emits
// aboutToQuit and quits on its own; the request is taken from the first,
// while the program may still end the way its close box ends it.
#include <QGuiApplication>
#include <QSessionManager>

#include "shell/EndRequest.h"

namespace orv {

struct EndRequest::Impl {};

EndRequest::EndRequest(QObject* parent) : QObject(parent) {
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { receive(); });
}

EndRequest::~EndRequest() = default;

}  // namespace orv
