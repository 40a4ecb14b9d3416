#include "gui/Pictures.h"

#include <QImageReader>
#include <QPixmap>
#include <QProxyStyle>

namespace orv {

QIcon pngIcon(const QString& pathWithSize) {
    QIcon icon;
    for (int size : {32, 64}) {
        QImageReader reader(pathWithSize.arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

namespace {
class ProgramStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton ||
            which == SP_ToolBarVerticalExtensionButton)
            return QIcon(baseStyle()->standardPixmap(which, option, widget));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};
}  // namespace

QStyle* programStyle() {
    return new ProgramStyle;
}

}  // namespace orv
