// The web module's entry: the plug-in the program's WebModule loads on the
// first invoice command.
#include <QObject>

#include "web/InvoicePane.h"
#include "web/WebPane.h"

namespace orv {

class InvoicePaneModule : public QObject, public WebPaneFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ORV_WEB_PANE_FACTORY_IID)
    Q_INTERFACES(orv::WebPaneFactory)
public:
    WebPane* createPane(QWidget* parent,
                        std::function<void(const QUrl&)> navigationFailed) override {
        auto* pane = new InvoicePane(parent);
        connect(pane, &InvoicePane::navigationFailed, pane, std::move(navigationFailed));
        return pane;
    }
};

}  // namespace orv

#include "InvoicePaneModule.moc"
