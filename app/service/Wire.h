// The "QVNX" frame spoken with the tax-service server: composing a request,
// gathering a reply, cutting fields out of it, and the log form.
//
//   0  4  magic "QVNX"
//   4  4  body length, big-endian
//   8  4  CRC of bytes 16.., the library CRC32 result stored little-endian
//  12  4  CRC of bytes 0..11, the same way
//  16  2  message type, then the type's fields
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace orv::wire {

inline constexpr int kHeader = 16;
// Replies larger than this are refused, whatever their header says.
inline constexpr qsizetype kMaxReply = 1024 * 1024;

// The card access object's CRC32 over bytes first..last of the data.
using Crc32 = std::function<qint32(const QByteArray& data, int first, int last)>;

// A frame around `afterHeader` (message type and fields, as bytes): magic,
// body length and both CRCs in front.
QByteArray frame(const QByteArray& afterHeader, const Crc32& crc);
// A request composed as text (the fields after the header), sent as GBK.
QByteArray composeFrame(const QString& fields, const Crc32& crc);

// Text left-aligned in `width` characters, space-padded (cut when longer).
QString pad(const QString& text, int width);

// The body length a frame's header declares (bytes 4-7, big-endian).
quint32 bodyLength(const QByteArray& frame);

// Gathers one reply from the bytes the socket delivers. A reply starting
// with "QVNX" is complete once 16 + its body length have arrived; any other
// reply is complete as it arrives. Bounded by kMaxReply.
class ReplyAccumulator {
public:
    enum class State { Incomplete, Complete, Refused };
    State add(const QByteArray& bytes);
    // The server has finished sending: what arrived is the reply.
    State finish();
    const QByteArray& bytes() const { return buf_; }

private:
    State check() const;
    QByteArray buf_;
};

// A received reply: bytes 4-15 of a "QVNX" reply rewritten as four spaces
// and the body length in 8 decimal digits, and its text.
struct Reply {
    QByteArray bytes;
    QString text() const;  // the whole reply decoded from GBK
    QString type() const;  // the two characters at offset 16
    // Bytes offset..offset+size-1 decoded from GBK (what exists of them).
    QString field(int offset, int size) const;
    // The field without the spaces around it (other blanks are content).
    QString trimmedField(int offset, int size) const;
    // A number field; 0 when it is not a number. Only plain decimal text
    // counts: an optional sign and digits (integer), or digits with at most
    // one point (decimal), spaces around it; no exponent, "inf" or "nan".
    qint64 integerField(int offset, int size) const;
    double decimalField(int offset, int size) const;
};
Reply unpack(const QByteArray& received);

// First 4 bytes as text, next 12 as 24 hex digits, the body as text.
QString logForm(const QByteArray& message);

}  // namespace orv::wire
