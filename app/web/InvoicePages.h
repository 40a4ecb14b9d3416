// The invoice-check pages: which setting holds each page's address, and
// which failing addresses are the invoice-check server's.
#pragma once

#include <QString>
#include <QUrl>

namespace orv {

struct SystemSettings;

// INVOICE1 to INVOICE4 for the indexes 1 to 4; any other index gives "".
QString invoicePageUrl(const SystemSettings& settings, int index);
// A failing address on the invoice-check server ("zwjb" in it) is told to
// the user; any other (a link to another site) blanks the pane silently.
bool isInvoiceServerUrl(const QUrl& url);

}  // namespace orv
