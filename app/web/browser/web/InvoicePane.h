// Web1 where the program has no web engine (Windows until the pane is a
// module loaded at run time): the invoice-check pages open in the user's
// browser; the pane itself stays empty.
#pragma once

#include <QUrl>
#include <QWidget>

namespace orv {

struct SystemSettings;

QString invoicePageUrl(const SystemSettings& settings, int index);
bool isInvoiceServerUrl(const QUrl& url);

class InvoicePane : public QWidget {
    Q_OBJECT
public:
    explicit InvoicePane(QWidget* parent = nullptr);
    void setUrl(const QUrl& url);
    void blank() {}

signals:
    void navigationFailed(const QUrl& url);
};

}  // namespace orv
