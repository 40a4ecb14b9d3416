// The user card's content: its files and the monitoring records written to
// it, with the readable image file that holds them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cardsim {

using Bytes = std::vector<uint8_t>;

struct CardFile {
    bool binary = false;         // transparent (EF02) or record file
    Bytes data;                  // transparent content
    std::vector<Bytes> records;  // record content, record 1 first
};

struct Card {
    Bytes atr;
    std::map<uint16_t, CardFile> files;  // by file identifier
    std::vector<Bytes> monitor;          // C0E8 records, in the order written

    // Reads an image; false with `error` set when it is not one.
    static bool load(const std::string& path, Card& card, std::string* error);
    bool save(const std::string& path, std::string* error = nullptr) const;
    std::string toText() const;
    static bool fromText(const std::string& text, Card& card, std::string* error);
};

}  // namespace cardsim
