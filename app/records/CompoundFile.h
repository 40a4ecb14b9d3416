// An OLE2 compound file (version 3, 512-byte sectors) with one stream below
// its root entry, written front to back through any device: the stream's
// size is given before its first byte, so the sector tables can follow the
// stream instead of being held in memory. A stream shorter than 4096 bytes
// is padded with zeros to 4096, so that it never needs the small-block
// stream (which readers of workbooks handle badly). Files whose tables need
// more than the header's 109 table sectors carry them in DIFAT sectors.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class QIODevice;

namespace orv {

class CompoundFileWriter {
public:
    using ClassId = std::array<std::uint8_t, 16>;
    // The largest stream a version-3 file may hold.
    static constexpr quint64 kMaxStreamSize = 0x80000000u;
    static constexpr quint64 kMinStreamSize = 4096;
    static constexpr int kSectorSize = 512;

    // `out` must be open for writing; `streamName` is at most 31 UTF-16
    // characters. `rootClass` marks the file's kind on its root entry.
    CompoundFileWriter(QIODevice& out, const QString& streamName, quint64 streamSize,
                       const ClassId& rootClass);

    // Writes the header. False when the stream is too large or the device
    // refused; errorString() says why.
    bool begin();
    // Appends to the stream. False on a failed write (every later call fails
    // too) or past the size given.
    bool write(const char* data, qint64 size);
    // Pads the stream and writes the directory and the sector tables. False
    // when the stream was not written whole or a write failed.
    bool finish();

    QString errorString() const { return error_; }

    // Sector counts of a file whose stream has `streamSize` bytes (after
    // padding): the stream's, the allocation table's and its extension's.
    struct Layout {
        quint32 streamSectors = 0, fatSectors = 0, difatSectors = 0;
        quint32 directorySector() const { return streamSectors; }
        quint32 firstFatSector() const { return streamSectors + 1; }
        quint32 firstDifatSector() const { return streamSectors + 1 + fatSectors; }
        quint32 sectors() const { return streamSectors + 1 + fatSectors + difatSectors; }
    };
    static Layout layoutFor(quint64 streamSize);

private:
    bool put(const QByteArray& bytes);
    bool fail(const QString& why);

    QIODevice& out_;
    QString name_;
    quint64 size_;
    quint64 written_ = 0;
    ClassId class_;
    Layout layout_;
    bool begun_ = false, failed_ = false;
    QString error_;
};

}  // namespace orv
