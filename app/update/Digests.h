// Digests of update files as upper-case hex text. Computed here rather than
// by the reader library: an update must verify even when that library is
// missing or broken (it may be the very file being replaced).
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace orv {

struct Digests {
    QString MD5, SHA1, SHA256;
};

Digests digestsOf(const QByteArray& data);
// Reads the device to its end; false when a read fails.
bool digestsOf(QIODevice& device, Digests& out);

}  // namespace orv
