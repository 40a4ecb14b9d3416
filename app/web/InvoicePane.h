// Web1: the embedded browser that shows the tax authority's invoice-check
// pages. Pages get no context menu; a navigation that fails is reported
// once, with its address, for the main window to handle.
#pragma once

#include <QUrl>
#include <QWebEngineView>

class QWebEngineProfile;

namespace orv {

struct SystemSettings;

// INVOICE1 to INVOICE4 for the indexes 1 to 4; any other index gives "".
QString invoicePageUrl(const SystemSettings& settings, int index);
// A failing address on the invoice-check server ("zwjb" in it) is told to
// the user; any other (a link to another site) blanks the pane silently.
bool isInvoiceServerUrl(const QUrl& url);

class InvoicePane : public QWebEngineView {
    Q_OBJECT
public:
    explicit InvoicePane(QWidget* parent = nullptr);
    ~InvoicePane() override;

    void blank();

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
