// Qt adapters over the one GBK conversion (orv/gbk.h), and the one trim of
// the card's and the server's space-padded fields.
#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

QByteArray toGbk(const QString& text);
QString fromGbk(const QByteArray& bytes);

// `text` without the spaces (0x20) around it. Fields are padded with spaces
// only, so tabs, line breaks and other blanks are content and stay.
QString trimSpaces(const QString& text);

}  // namespace orv
