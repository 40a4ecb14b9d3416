#include "update/Digests.h"

#include <QCryptographicHash>
#include <QIODevice>

#include "card/Hex.h"

namespace orv {

namespace {

struct Hashes {
    QCryptographicHash md5{QCryptographicHash::Md5};
    QCryptographicHash sha1{QCryptographicHash::Sha1};
    QCryptographicHash sha256{QCryptographicHash::Sha256};

    void add(QByteArrayView data) {
        md5.addData(data);
        sha1.addData(data);
        sha256.addData(data);
    }
    Digests result() const {
        return {BytesToHex(md5.result()), BytesToHex(sha1.result()), BytesToHex(sha256.result())};
    }
};

}  // namespace

Digests digestsOf(const QByteArray& data) {
    Hashes h;
    h.add(data);
    return h.result();
}

bool digestsOf(QIODevice& device, Digests& out) {
    Hashes h;
    QByteArray buffer(64 * 1024, '\0');
    for (;;) {
        const qint64 n = device.read(buffer.data(), buffer.size());
        if (n < 0) return false;
        if (n == 0) break;
        h.add(QByteArrayView(buffer.constData(), n));
    }
    out = h.result();
    return true;
}

}  // namespace orv
