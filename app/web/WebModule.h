// The web module: the invoice-check pane with the web engine it links, a
// Qt plug-in in the program folder loaded on the first invoice command, so
// that the program starts without mapping the engine's libraries. A build
// without the engine (Windows) has no module; the pages then open in the
// user's browser.
#pragma once

#include <QPluginLoader>
#include <QString>

namespace orv {

class WebPaneFactory;

class WebModule {
public:
    explicit WebModule(QString programFolder);

    // Loads the module on the first call; null when it is missing or does
    // not load, and `reason()` says why.
    WebPaneFactory* factory();
    const QString& reason() const { return reason_; }
    // The module's file in a program folder, without the platform's prefix
    // and suffix (liborvweb.so).
    static QString baseName();

private:
    QString folder_;
    QPluginLoader loader_;
    bool tried_ = false;
    WebPaneFactory* factory_ = nullptr;
    QString reason_;
};

}  // namespace orv
