// Web1: the embedded browser that shows the tax authority's invoice-check
// pages, the web module's one pane. Pages get no context menu; a navigation
// that fails is reported once, with its address, for the main window to
// handle.
#pragma once

#include <QUrl>
#include <QWebEngineView>

#include "web/WebPane.h"

class QWebEngineProfile;

namespace orv {

class InvoicePane : public QWebEngineView, public WebPane {
    Q_OBJECT
public:
    explicit InvoicePane(QWidget* parent = nullptr);
    ~InvoicePane() override;

    QWidget* widget() override { return this; }
    void open(const QUrl& url) override { setUrl(url); }
    void blank() override;

signals:
    // A navigation did not load (refused, unreachable, an HTTP error).
    void navigationFailed(const QUrl& url);

protected:
    // Links that ask for a new window open here, as the pane is the only
    // browser the program has.
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;

private:
    QWebEngineProfile* profile_;
};

}  // namespace orv
