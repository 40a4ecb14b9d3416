#include "base/ServerSettings.h"

#include <QStringList>

#include "base/Settings.h"
#include "base/Text.h"

namespace orv {

namespace {
// Spaces, an optional sign, ASCII digits, spaces; its value when in 0..255.
bool isOctet(const QString& piece) {
    const QString t = trimSpaces(piece);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
    if (i == t.size()) return false;
    int value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9') return false;
        // Past 255 nothing can bring it back in range; stop before overflow.
        if (value <= 255) value = value * 10 + (t[i].unicode() - u'0');
    }
    return value <= 255 && (!negative || value == 0);
}
}  // namespace

bool IsValidIP(const QString& text) {
    if (text.count(u'.') < 3) return false;
    const QStringList pieces = text.split(u'.');
    for (int i = 0; i < 4; ++i)
        if (!isOctet(pieces[i])) return false;
    return true;
}

bool IsValidPort(const QString& text) {
    const qint32 port = toInt32(text);
    return port >= 1 && port <= 65535;
}

ServerSave decideServerSave(const QString& ip, const QString& port, const SystemSettings& saved) {
    const QString i = trimSpaces(ip), p = trimSpaces(port);
    if (i == saved.IP && p == saved.PORT) return ServerSave::Unchanged;
    if (!IsValidIP(i) || !IsValidPort(p)) return ServerSave::Invalid;
    return ServerSave::Save;
}

}  // namespace orv
