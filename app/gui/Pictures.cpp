#include "gui/Pictures.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <algorithm>

namespace orv {

namespace {
// Reads only the size a paint asks for, when it first asks: a screen at
// normal scale never needs the 64-pixel pictures, and nothing is read
// before the window is laid out. Each size becomes a plain QIcon, which
// draws the disabled and selected looks as any icon does.
class PngIconEngine : public QIconEngine {
public:
    explicit PngIconEngine(QString pathWithSize) : path_(std::move(pathWithSize)) {}

    QIconEngine* clone() const override { return new PngIconEngine(*this); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(32, 32), QSize(64, 64)};
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({size.width(), size.height(), 64});
        return QSize(side, side);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon(size).pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon(size * scale).pixmap(size, scale, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon(rect.size() * painter->device()->devicePixelRatioF())
            .paint(painter, rect, Qt::AlignCenter, mode, state);
    }

private:
    const QIcon& icon(const QSize& wanted) {
        const int size = std::max(wanted.width(), wanted.height()) > 32 ? 64 : 32;
        QIcon& icon = size == 64 ? large_ : small_;
        if (icon.isNull()) {
            QImageReader reader(path_.arg(size), "png");
            reader.setAutoDetectImageFormat(false);
            icon.addPixmap(QPixmap::fromImage(reader.read()));
        }
        return icon;
    }

    QString path_;
    QIcon small_, large_;
};
}  // namespace

QIcon pngIcon(const QString& pathWithSize) {
    return QIcon(new PngIconEngine(pathWithSize));
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
