// The fuzz input taken apart front to back: control bytes first, then what
// the target feeds to the code under test. An exhausted input reads as
// zeros and empty pieces, so every input is a valid one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvfuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t left() const { return size_ - at_; }
    bool empty() const { return at_ == size_; }

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Big-endian, as a length prefix.
    uint16_t u16() {
        const uint16_t hi = byte();
        return static_cast<uint16_t>(hi << 8 | byte());
    }
    // Up to `n` bytes (fewer at the end).
    std::string_view bytes(std::size_t n) {
        n = std::min(n, left());
        const std::string_view v(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return v;
    }
    std::string_view rest() { return bytes(left()); }
    // The bytes up to the next `separator` (not included; it is skipped), or
    // the rest when there is none.
    std::string_view until(char separator) {
        const std::string_view r(reinterpret_cast<const char*>(data_ + at_), left());
        const std::size_t end = r.find(separator);
        if (end == std::string_view::npos) return rest();
        at_ += end + 1;
        return r.substr(0, end);
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace orvfuzz
