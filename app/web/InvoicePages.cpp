#include "web/InvoicePages.h"

#include "base/Settings.h"

namespace orv {

QString invoicePageUrl(const SystemSettings& s, int index) {
    switch (index) {
        case 1:
            return s.INVOICE1;
        case 2:
            return s.INVOICE2;
        case 3:
            return s.INVOICE3;
        case 4:
            return s.INVOICE4;
        default:
            return {};
    }
}

bool isInvoiceServerUrl(const QUrl& url) {
    return url.toString().contains(QLatin1String("zwjb"));
}

}  // namespace orv
