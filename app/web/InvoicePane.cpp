#include "web/InvoicePane.h"

#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace orv {

InvoicePane::InvoicePane(QWidget* parent) : QWebEngineView(parent) {
    setObjectName(QStringLiteral("Web1"));
    setAccessibleName(QStringLiteral("发票辨伪拍奖"));
    setContextMenuPolicy(Qt::NoContextMenu);
    // A profile of its own that keeps nothing on disk: the pages are looked
    // at, not logged into, and nothing lands in the user's home folder.
    profile_ = new QWebEngineProfile(this);
    auto* page = new QWebEnginePage(profile_, this);
    // The pane is hidden on a failure; the engine's own error page would
    // only flash up in English first.
    page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& i) {
        if (i.status() == QWebEngineLoadingInfo::LoadFailedStatus) emit navigationFailed(i.url());
    });
}

InvoicePane::~InvoicePane() {
    // The page goes before its profile.
    delete page();
}

void InvoicePane::blank() {
    setUrl(QUrl(QStringLiteral("about:blank")));
}

QWebEngineView* InvoicePane::createWindow(QWebEnginePage::WebWindowType) {
    return this;
}

}  // namespace orv
