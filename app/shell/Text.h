// Qt adapters over the one GBK conversion (orv/gbk.h).
#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

QByteArray toGbk(const QString& text);
QString fromGbk(const QByteArray& bytes);

}  // namespace orv
