#include "service/Wire.h"

#include <cmath>

#include "base/Text.h"

namespace orv::wire {

namespace {
const QByteArray kMagic("QVNX");

// An optional sign, then ASCII digits with at most one point when `point`
// is allowed, and at least one digit. Qt's own conversions would also take
// exponents, "inf", "nan" and blanks other than spaces.
bool plainNumber(const QString& t, bool point) {
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    bool digits = false, seenPoint = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits = true;
        } else if (point && !seenPoint && c == QLatin1Char('.')) {
            seenPoint = true;
        } else {
            return false;
        }
    }
    return digits;
}

void putLittleEndian(QByteArray& b, int offset, qint32 v) {
    const auto u = static_cast<quint32>(v);
    for (int i = 0; i < 4; ++i)
        b[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}
}  // namespace

QString pad(const QString& text, int width) {
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

quint32 bodyLength(const QByteArray& frame) {
    quint32 n = 0;
    for (int i = 4; i < 8 && i < frame.size(); ++i)
        n = (n << 8) | static_cast<quint8>(frame[i]);
    return n;
}

QByteArray composeFrame(const QString& fields, const Crc32& crc) {
    return frame(toGbk(fields), crc);
}

QByteArray frame(const QByteArray& afterHeader, const Crc32& crc) {
    QByteArray b = kMagic + QByteArray(12, ' ') + afterHeader;
    const auto body = static_cast<quint32>(b.size() - kHeader);
    for (int i = 0; i < 4; ++i)
        b[4 + i] = static_cast<char>((body >> (24 - 8 * i)) & 0xFF);
    putLittleEndian(b, 8, crc(b, kHeader, static_cast<int>(b.size()) - 1));
    putLittleEndian(b, 12, crc(b, 0, 11));
    return b;
}

ReplyAccumulator::State ReplyAccumulator::check() const {
    if (buf_.size() < kMagic.size() && kMagic.startsWith(buf_)) return State::Incomplete;
    if (!buf_.startsWith(kMagic)) return State::Complete;
    if (buf_.size() < kHeader) return State::Incomplete;
    const qint64 total = qint64{kHeader} + bodyLength(buf_);
    if (total > kMaxReply) return State::Refused;
    return buf_.size() >= total ? State::Complete : State::Incomplete;
}

ReplyAccumulator::State ReplyAccumulator::add(const QByteArray& bytes) {
    if (buf_.size() + bytes.size() > kMaxReply) return State::Refused;
    buf_ += bytes;
    return check();
}

ReplyAccumulator::State ReplyAccumulator::finish() {
    const State s = check();
    return s == State::Refused ? s : State::Complete;
}

QString Reply::text() const {
    return fromGbk(bytes);
}

QString Reply::type() const {
    return field(16, 2);
}

QString Reply::field(int offset, int size) const {
    if (offset >= bytes.size()) return {};
    return fromGbk(bytes.mid(offset, size));
}

QString Reply::trimmedField(int offset, int size) const {
    return trimSpaces(field(offset, size));
}

qint64 Reply::integerField(int offset, int size) const {
    const QString t = trimmedField(offset, size);
    if (!plainNumber(t, false)) return 0;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    return ok ? v : 0;  // past 64 bits
}

double Reply::decimalField(int offset, int size) const {
    const QString t = trimmedField(offset, size);
    if (!plainNumber(t, true)) return 0.0;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

Reply unpack(const QByteArray& received) {
    Reply r{received};
    if (received.startsWith(kMagic) && received.size() >= kHeader) {
        const QByteArray digits = QByteArray::number(bodyLength(received)).rightJustified(8, '0');
        r.bytes.replace(4, 12, "    " + digits.right(8));
    }
    return r;
}

QString logForm(const QByteArray& message) {
    return fromGbk(message.left(4)) + QString::fromLatin1(message.mid(4, 12).toHex().toUpper()) +
           fromGbk(message.mid(kHeader));
}

}  // namespace orv::wire
