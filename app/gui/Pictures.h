// Pictures read without Qt's image plug-ins. Reading a file by its name, as
// QIcon::addFile does, first offers it to every image plug-in, which loads
// them all (and the SVG and JPEG libraries with them); the first paint of
// the main window would wait for that, though it shows only PNG pictures.
#pragma once

#include <QIcon>
#include <QString>

class QStyle;

namespace orv {

// An icon from a PNG picture drawn at 32 and 64 pixels: pathWithSize holds
// "%1" where the size goes. Each size is read when it is first drawn.
QIcon pngIcon(const QString& pathWithSize);

// The platform's style, with the toolbar's and menu bar's extension arrows
// taken from the style's built-in pictures rather than its PNG files.
QStyle* programStyle();

}  // namespace orv
