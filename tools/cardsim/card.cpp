#include "card.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "orv/hex.h"

namespace cardsim {

// Image format, one item a line, '#' starts a comment:
//   ATR <hex>
//   FILE <fid> BINARY | RECORD     starts a file
//   DATA <hex>                     content of a transparent file
//   REC <hex>                      next record of a record file
//   MONITOR <hex>                  a monitoring record written by C0E8
std::string Card::toText() const {
    std::ostringstream out;
    out << "# virtual user card\n";
    out << "ATR " << orv::hex::encode(atr) << "\n";
    for (const auto& [fid, f] : files) {
        std::string id;
        orv::hex::appendByte(id, static_cast<uint8_t>(fid >> 8));
        orv::hex::appendByte(id, static_cast<uint8_t>(fid));
        out << "FILE " << id << (f.binary ? " BINARY\n" : " RECORD\n");
        if (f.binary) out << "DATA " << orv::hex::encode(f.data) << "\n";
        for (const auto& r : f.records)
            out << "REC " << orv::hex::encode(r) << "\n";
    }
    for (const auto& m : monitor)
        out << "MONITOR " << orv::hex::encode(m) << "\n";
    return out.str();
}

bool Card::fromText(const std::string& text, Card& card, std::string* error) {
    Card c;
    CardFile* current = nullptr;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string key, arg, kind;
        words >> key;
        if (key.empty() || key[0] == '#') continue;
        words >> arg;
        Bytes bytes;
        if (key == "FILE") {
            words >> kind;
            Bytes fid;
            if (!orv::hex::decode(arg, fid) || fid.size() != 2) return fail("bad file id");
            if (kind != "BINARY" && kind != "RECORD") return fail("bad file kind");
            current = &c.files[static_cast<uint16_t>(fid[0] << 8 | fid[1])];
            current->binary = kind == "BINARY";
            continue;
        }
        if (!orv::hex::decode(arg, bytes)) return fail("bad hex");
        if (key == "ATR") {
            c.atr = bytes;
        } else if (key == "MONITOR") {
            c.monitor.push_back(bytes);
        } else if (key == "DATA" && current && current->binary) {
            current->data = bytes;
        } else if (key == "REC" && current && !current->binary) {
            current->records.push_back(bytes);
        } else {
            return fail("unexpected " + key);
        }
    }
    card = std::move(c);
    return true;
}

bool Card::load(const std::string& path, Card& card, std::string* error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << f.rdbuf();
    return fromText(text.str(), card, error);
}

bool Card::save(const std::string& path, std::string* error) const {
    // Written beside and renamed, so that a reader never sees half an image.
    const std::string tmp = path + ".new";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f << toText();
        if (!f.flush()) {
            if (error) *error = "cannot write " + tmp;
            return false;
        }
    }
    // filesystem::rename replaces an existing image on Windows too, where
    // the C library's rename refuses to.
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        if (error) *error = "cannot replace " + path + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace cardsim
