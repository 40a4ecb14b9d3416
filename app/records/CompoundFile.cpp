#include "records/CompoundFile.h"

#include <QIODevice>
#include <algorithm>

namespace orv {

namespace {
constexpr quint32 kDifSect = 0xFFFFFFFC;
constexpr quint32 kFatSect = 0xFFFFFFFD;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFreeSect = 0xFFFFFFFF;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr quint32 kEntriesPerSector = CompoundFileWriter::kSectorSize / 4;  // 128
constexpr quint32 kHeaderDifat = 109;
constexpr quint32 kDifatPerSector = kEntriesPerSector - 1;  // the last links the next

void put16(QByteArray& b, quint16 v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}
void put32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put64(QByteArray& b, quint64 v) {
    put32(b, static_cast<quint32>(v & 0xFFFFFFFFu));
    put32(b, static_cast<quint32>(v >> 32));
}

quint32 sectorsFor(quint64 bytes, quint64 per) {
    return static_cast<quint32>((bytes + per - 1) / per);
}

// One directory entry: every entry of this file is black, so the tree of
// one child is a valid red-black tree.
void putEntry(QByteArray& b, const QString& name, quint8 type, quint32 child, const quint8* cls,
              quint32 start, quint64 size) {
    const qsizetype at = b.size();
    for (QChar c : name)
        put16(b, c.unicode());
    b.append(64 - (b.size() - at), '\0');
    put16(b, static_cast<quint16>(name.isEmpty() ? 0 : 2 * (name.size() + 1)));
    b.append(static_cast<char>(type));
    b.append(static_cast<char>(type == 0 ? 0 : 1));  // black
    put32(b, kNoStream);                             // left sibling
    put32(b, kNoStream);                             // right sibling
    put32(b, child);
    if (cls)
        b.append(reinterpret_cast<const char*>(cls), 16);
    else
        b.append(16, '\0');
    put32(b, 0);  // state bits
    put64(b, 0);  // creation time
    put64(b, 0);  // modification time
    put32(b, start);
    put64(b, size);
}
}  // namespace

CompoundFileWriter::Layout CompoundFileWriter::layoutFor(quint64 streamSize) {
    Layout l;
    l.streamSectors = sectorsFor(std::max(streamSize, kMinStreamSize), kSectorSize);
    // The tables cover themselves too: grow them until they do.
    for (;;) {
        const quint32 fat = sectorsFor(l.sectors(), kEntriesPerSector);
        const quint32 difat =
            fat > kHeaderDifat ? sectorsFor(fat - kHeaderDifat, kDifatPerSector) : 0;
        if (fat == l.fatSectors && difat == l.difatSectors) return l;
        l.fatSectors = fat;
        l.difatSectors = difat;
    }
}

CompoundFileWriter::CompoundFileWriter(QIODevice& out, const QString& streamName,
                                       quint64 streamSize, const ClassId& rootClass)
    : out_(out), name_(streamName), size_(streamSize), class_(rootClass) {}

bool CompoundFileWriter::fail(const QString& why) {
    if (!failed_) error_ = why;
    failed_ = true;
    return false;
}

bool CompoundFileWriter::put(const QByteArray& bytes) {
    if (failed_) return false;
    // Every write is checked: a device that refuses one write and takes the
    // next would otherwise leave a hole that nothing reports.
    if (out_.write(bytes) != bytes.size())
        return fail(QStringLiteral("写入文件失败：") + out_.errorString());
    return true;
}

bool CompoundFileWriter::begin() {
    if (size_ > kMaxStreamSize) return fail(QStringLiteral("数据太多，超出了Excel文件的大小"));
    if (name_.isEmpty() || name_.size() > 31) return fail(QStringLiteral("流的名称无效"));
    layout_ = layoutFor(size_);
    begun_ = true;
    QByteArray h;
    h.reserve(kSectorSize);
    put32(h, 0xE011CFD0);
    put32(h, 0xE11AB1A1);
    h.append(16, '\0');  // header class id: unused
    put16(h, 0x003E);    // minor version
    put16(h, 0x0003);    // major version: 512-byte sectors
    put16(h, 0xFFFE);    // little-endian
    put16(h, 9);         // sector size 2^9
    put16(h, 6);         // small sectors 2^6
    h.append(6, '\0');
    put32(h, 0);  // directory sectors: not counted in version 3
    put32(h, layout_.fatSectors);
    put32(h, layout_.directorySector());
    put32(h, 0);  // transactions: none
    put32(h, static_cast<quint32>(kMinStreamSize));
    put32(h, kEndOfChain);  // no small-block table
    put32(h, 0);
    put32(h, layout_.difatSectors ? layout_.firstDifatSector() : kEndOfChain);
    put32(h, layout_.difatSectors);
    for (quint32 i = 0; i < kHeaderDifat; ++i)
        put32(h, i < layout_.fatSectors ? layout_.firstFatSector() + i : kFreeSect);
    return put(h);
}

bool CompoundFileWriter::write(const char* data, qint64 size) {
    if (failed_) return false;
    if (!begun_) return fail(QStringLiteral("复合文件尚未开始"));
    if (size < 0 || written_ + static_cast<quint64>(size) > size_)
        return fail(QStringLiteral("写入的数据超过了流的长度"));
    if (out_.write(data, size) != size)
        return fail(QStringLiteral("写入文件失败：") + out_.errorString());
    written_ += static_cast<quint64>(size);
    return true;
}

bool CompoundFileWriter::finish() {
    if (failed_) return false;
    if (!begun_) return fail(QStringLiteral("复合文件尚未开始"));
    if (written_ != size_) return fail(QStringLiteral("流的长度与预计的不符"));
    const quint64 padded = static_cast<quint64>(layout_.streamSectors) * kSectorSize;
    // Padding, in pieces: a large stream needs at most one sector's worth,
    // a short one up to 4096 bytes.
    if (padded > written_ && !put(QByteArray(static_cast<qsizetype>(padded - written_), '\0')))
        return false;
    const quint64 streamSize = std::max(size_, kMinStreamSize);

    QByteArray dir;
    dir.reserve(kSectorSize);
    putEntry(dir, QStringLiteral("Root Entry"), 5, 1, class_.data(), kEndOfChain, 0);
    putEntry(dir, name_, 2, kNoStream, nullptr, 0, streamSize);
    putEntry(dir, QString(), 0, kNoStream, nullptr, 0, 0);
    putEntry(dir, QString(), 0, kNoStream, nullptr, 0, 0);
    if (!put(dir)) return false;

    const quint32 w = layout_.streamSectors;
    const quint32 fatEnd = layout_.firstDifatSector();
    const quint32 difatEnd = layout_.sectors();
    QByteArray s;
    s.reserve(kSectorSize);
    for (quint32 f = 0; f < layout_.fatSectors; ++f) {
        s.resize(0);
        for (quint32 k = 0; k < kEntriesPerSector; ++k) {
            const quint32 i = f * kEntriesPerSector + k;
            quint32 v = kFreeSect;
            if (i + 1 < w)
                v = i + 1;
            else if (i + 1 == w || i == w)  // the stream's last sector, the directory
                v = kEndOfChain;
            else if (i < fatEnd)
                v = kFatSect;
            else if (i < difatEnd)
                v = kDifSect;
            put32(s, v);
        }
        if (!put(s)) return false;
    }
    for (quint32 d = 0; d < layout_.difatSectors; ++d) {
        s.resize(0);
        for (quint32 k = 0; k < kDifatPerSector; ++k) {
            const quint32 fat = kHeaderDifat + d * kDifatPerSector + k;
            put32(s, fat < layout_.fatSectors ? layout_.firstFatSector() + fat : kFreeSect);
        }
        put32(s, d + 1 < layout_.difatSectors ? layout_.firstDifatSector() + d + 1 : kEndOfChain);
        if (!put(s)) return false;
    }
    return true;
}

}  // namespace orv
