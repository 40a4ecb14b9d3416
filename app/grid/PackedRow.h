// One grid row's cell texts in a single allocation, so that a grid of
// 100 000 rows x 26 columns costs about what its characters cost: no object
// per cell. The block holds each cell's end offset in bytes (the top bit
// marks a cell kept as UTF-16), then the cells' bytes: Latin-1 for a cell
// whose characters all fit (dates, amounts, hex codes), UTF-16 for the
// others. Empty cells at the end of the row are not stored.
#pragma once

#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

namespace orv {

class PackedRow {
public:
    PackedRow() = default;

    // The number of stored cells; every cell from here on reads empty.
    int cellCount() const { return static_cast<int>(cells_); }
    QString cell(int i) const;
    // Appends cell i to `out`, without a string of its own.
    void appendCell(int i, QString& out) const;
    qsizetype cellLength(int i) const;

    // Cell i replaced by `text` (the row grows as needed).
    void setCell(int i, QStringView text);
    // Only the first `count` cells kept.
    void truncate(int count);

    // Gathers one row's cells, then packs them; its buffers are kept for the
    // next row, so a bulk fill allocates once per row.
    class Builder {
    public:
        void add(QStringView text);
        // Cell i of `row`, copied as it is stored.
        void addFrom(const PackedRow& row, int i);
        int count() const { return static_cast<int>(ends_.size()); }
        // The packed row; the builder is empty again afterwards.
        PackedRow take();

    private:
        std::vector<quint32> ends_;
        std::vector<char> bytes_;
    };

private:
    static constexpr quint32 kWide = 0x80000000u;
    struct Span {
        const char* data;
        quint32 bytes;
        bool wide;
    };
    Span span(int i) const;

    std::unique_ptr<char[]> data_;
    quint32 cells_ = 0;
};

}  // namespace orv
