// The invoice-check pane as the program sees it, and what the web module
// exports to make it. Nothing of the web engine crosses this header: the
// program talks to the pane through it and never links the engine.
#pragma once

#include <QUrl>
#include <QtPlugin>
#include <functional>

class QWidget;

namespace orv {

class WebPane {
public:
    virtual ~WebPane() = default;
    // The pane itself ("Web1"), owned by the parent it was made with.
    virtual QWidget* widget() = 0;
    virtual void open(const QUrl& url) = 0;
    virtual void blank() = 0;
};

class WebPaneFactory {
public:
    virtual ~WebPaneFactory() = default;
    // `navigationFailed` hears every navigation that did not load (refused,
    // unreachable, an HTTP error), with its address.
    virtual WebPane* createPane(QWidget* parent,
                                std::function<void(const QUrl&)> navigationFailed) = 0;
};

}  // namespace orv

#define ORV_WEB_PANE_FACTORY_IID "org.orvane.WebPaneFactory/1"
Q_DECLARE_INTERFACE(orv::WebPaneFactory, ORV_WEB_PANE_FACTORY_IID)
