#include "grid/PackedRow.h"

#include <algorithm>
#include <cstring>

namespace orv {

namespace {
// Offsets keep their top bit for the UTF-16 mark; a row's text stays below
// 2 GiB, the rest of an oversized cell is dropped.
constexpr std::size_t kMaxRowBytes = 0x7FFFFFFF;
}  // namespace

PackedRow::Span PackedRow::span(int i) const {
    quint32 begin = 0, end = 0;
    if (i > 0) std::memcpy(&begin, data_.get() + 4 * (i - 1), 4);
    std::memcpy(&end, data_.get() + 4 * i, 4);
    begin &= ~kWide;
    const char* text = data_.get() + 4 * std::size_t{cells_};
    return {text + begin, (end & ~kWide) - begin, (end & kWide) != 0};
}

QString PackedRow::cell(int i) const {
    if (i < 0 || i >= cellCount()) return {};
    const Span s = span(i);
    if (!s.wide) return QString::fromLatin1(s.data, s.bytes);
    QString text(s.bytes / 2, Qt::Uninitialized);
    std::memcpy(text.data(), s.data, s.bytes);
    return text;
}

void PackedRow::appendCell(int i, QString& out) const {
    if (i < 0 || i >= cellCount()) return;
    const Span s = span(i);
    if (!s.wide) {
        out.append(QLatin1StringView(s.data, s.bytes));
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + s.bytes / 2);
    std::memcpy(out.data() + at, s.data, s.bytes);
}

qsizetype PackedRow::cellLength(int i) const {
    if (i < 0 || i >= cellCount()) return 0;
    const Span s = span(i);
    return s.wide ? s.bytes / 2 : s.bytes;
}

void PackedRow::setCell(int i, QStringView text) {
    if (i < 0) return;
    Builder b;
    const int n = std::max(cellCount(), i + 1);
    for (int k = 0; k < n; ++k) {
        if (k == i)
            b.add(text);
        else
            b.addFrom(*this, k);
    }
    *this = b.take();
}

void PackedRow::truncate(int count) {
    if (count >= cellCount()) return;
    Builder b;
    for (int k = 0; k < count; ++k)
        b.addFrom(*this, k);
    *this = b.take();
}

void PackedRow::Builder::add(QStringView text) {
    const std::size_t at = bytes_.size();
    const std::size_t room = kMaxRowBytes - at;
    bool wide = false;
    for (QChar c : text) {
        if (c.unicode() > 0xFF) {
            wide = true;
            break;
        }
    }
    if (!wide) {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(text.size()), room);
        bytes_.resize(at + n);
        for (std::size_t k = 0; k < n; ++k)
            bytes_[at + k] = static_cast<char>(text[static_cast<qsizetype>(k)].unicode());
    } else {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(text.size()) * 2,
                                                    room & ~std::size_t{1});
        bytes_.resize(at + n);
        std::memcpy(bytes_.data() + at, text.data(), n);
    }
    ends_.push_back(static_cast<quint32>(bytes_.size()) | (wide ? kWide : 0));
}

void PackedRow::Builder::addFrom(const PackedRow& row, int i) {
    if (i < 0 || i >= row.cellCount()) {
        add({});
        return;
    }
    const Span s = row.span(i);
    bytes_.insert(bytes_.end(), s.data, s.data + s.bytes);
    ends_.push_back(static_cast<quint32>(bytes_.size()) | (s.wide ? kWide : 0));
}

PackedRow PackedRow::Builder::take() {
    std::size_t n = ends_.size();
    // Trailing empty cells read empty anyway.
    while (n > 0 && (ends_[n - 1] & ~kWide) == (n > 1 ? ends_[n - 2] & ~kWide : 0))
        --n;
    PackedRow row;
    if (n > 0) {
        const std::size_t textBytes = ends_[n - 1] & ~kWide;
        row.data_ = std::make_unique_for_overwrite<char[]>(4 * n + textBytes);
        std::memcpy(row.data_.get(), ends_.data(), 4 * n);
        std::memcpy(row.data_.get() + 4 * n, bytes_.data(), textBytes);
        row.cells_ = static_cast<quint32>(n);
    }
    ends_.clear();
    bytes_.clear();
    return row;
}

}  // namespace orv
