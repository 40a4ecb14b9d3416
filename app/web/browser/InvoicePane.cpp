#include "web/InvoicePane.h"

#include <QDesktopServices>

#include "base/Settings.h"

namespace orv {

QString invoicePageUrl(const SystemSettings& settings, int index) {
    switch (index) {
        case 1:
            return settings.INVOICE1;
        case 2:
            return settings.INVOICE2;
        case 3:
            return settings.INVOICE3;
        case 4:
            return settings.INVOICE4;
        default:
            return QString();
    }
}

bool isInvoiceServerUrl(const QUrl& url) {
    return url.toString().contains(QLatin1String("zwjb"));
}

InvoicePane::InvoicePane(QWidget* parent) : QWidget(parent) {}

void InvoicePane::setUrl(const QUrl& url) {
    if (!QDesktopServices::openUrl(url)) emit navigationFailed(url);
}

void prepareWebEngine() {}

}  // namespace orv
