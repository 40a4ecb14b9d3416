#include "web/WebModule.h"

#include <QDir>

#include "base/ProgramFolder.h"
#include "web/WebPane.h"

namespace orv {

QString WebModule::baseName() {
    return QStringLiteral("orvweb");
}

WebModule::WebModule(QString programFolder) : folder_(std::move(programFolder)) {}

WebPaneFactory* WebModule::factory() {
    if (tried_) return factory_;
    tried_ = true;
    const QString path = inFolder(folder_, baseName());
    // The loader adds the platform's prefix and suffix; only a file in the
    // program folder counts, never one on the library path.
    loader_.setFileName(path);
    if (loader_.fileName().isEmpty()) {
        reason_ = QDir::toNativeSeparators(path) + QStringLiteral(" not found");
        return nullptr;
    }
    QObject* instance = loader_.instance();
    if (!instance) {
        reason_ = loader_.errorString();
    } else if (!(factory_ = qobject_cast<WebPaneFactory*>(instance))) {
        reason_ = loader_.fileName() + QStringLiteral(" has no invoice-check pane");
    }
    reason_.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return factory_;
}

}  // namespace orv
