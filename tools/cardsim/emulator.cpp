#include "emulator.h"

#include <cctype>
#include <thread>

#include "orv/hex.h"

namespace cardsim {

namespace {
Bytes status(uint16_t sw) {
    return {static_cast<uint8_t>(sw >> 8), static_cast<uint8_t>(sw)};
}

Bytes withStatus(Bytes data, uint16_t sw) {
    data.push_back(static_cast<uint8_t>(sw >> 8));
    data.push_back(static_cast<uint8_t>(sw));
    return data;
}

constexpr uint16_t kOk = 0x9000;
constexpr uint16_t kWrongLength = 0x6700;
constexpr uint16_t kNotAllowed = 0x6986;  // no current EF
constexpr uint16_t kWrongKind = 0x6981;   // command incompatible with file structure
constexpr uint16_t kConditions = 0x6985;  // application not selected
constexpr uint16_t kFileNotFound = 0x6A82;
constexpr uint16_t kRecordNotFound = 0x6A83;
constexpr uint16_t kWrongP1P2 = 0x6B00;
constexpr uint16_t kBadIns = 0x6D00;
constexpr uint16_t kBadCla = 0x6E00;
const Bytes kAppName = {'T', 'I', 'D', '0', '1'};
constexpr uint16_t kSummaryFile = 0xEF04;
constexpr uint8_t kAwaitsUnlock = 0x01, kUnlocked = 0x00;

// Le of a case-2 APDU; 0 means 256.
std::size_t expected(const Bytes& apdu) {
    return apdu[4] == 0 ? 256 : apdu[4];
}

// Command data of a case-3 APDU, or nullopt when Lc does not match.
std::optional<Bytes> body(const Bytes& apdu) {
    if (apdu.size() < 5 || apdu.size() != 5u + apdu[4]) return std::nullopt;
    return Bytes(apdu.begin() + 5, apdu.end());
}

bool parseReply(const std::string& text, Bytes& reply) {
    return orv::hex::decode(text, reply) && !reply.empty() && reply.size() <= 258;
}
}  // namespace

bool Faults::parse(const std::string& option) {
    const auto eq = option.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = option.substr(0, eq), value = option.substr(eq + 1);
    const auto colon = value.find(':');
    try {
        Bytes reply;
        if (key == "at" && colon != std::string::npos &&
            parseReply(value.substr(colon + 1), reply)) {
            at = std::make_pair(std::stol(value.substr(0, colon)), reply);
            return true;
        }
        if (key == "prefix" && colon != std::string::npos &&
            parseReply(value.substr(colon + 1), reply)) {
            std::string hex = value.substr(0, colon);
            for (char& c : hex)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            prefixes.push_back({hex, reply});
            return true;
        }
        if (key == "remove") {
            removeAfter = std::stol(value);
            return true;
        }
        if (key == "delay") {
            delay = std::chrono::milliseconds(std::stol(value));
            return true;
        }
    } catch (const std::exception&) {
        return false;
    }
    return false;
}

Emulator::Emulator(Card card, std::string imagePath)
    : card_(std::move(card)), imagePath_(std::move(imagePath)) {}

void Emulator::setCard(Card card, std::string imagePath) {
    flush();
    std::lock_guard lock(m_);
    card_ = std::move(card);
    imagePath_ = std::move(imagePath);
    removed_ = false;
    appSelected_ = false;
    ef_.reset();
}

Card Emulator::card() const {
    std::lock_guard lock(m_);
    return card_;
}

void Emulator::setUnlockOnMonitor(bool on) {
    std::lock_guard lock(m_);
    unlockOnMonitor_ = on;
}

void Emulator::setFaults(Faults f) {
    std::lock_guard lock(m_);
    faults_ = std::move(f);
    count_ = 0;
    removed_ = false;
}

bool Emulator::reset() {
    flush();
    std::lock_guard lock(m_);
    appSelected_ = false;
    ef_.reset();
    return !removed_;
}

Bytes Emulator::atr() const {
    std::lock_guard lock(m_);
    return card_.atr;
}

bool Emulator::removed() const {
    std::lock_guard lock(m_);
    return removed_;
}

std::vector<std::string> Emulator::log() const {
    std::lock_guard lock(m_);
    return log_;
}

void Emulator::clearLog() {
    std::lock_guard lock(m_);
    log_.clear();
}

std::optional<Bytes> Emulator::process(const Bytes& apdu) {
    std::chrono::milliseconds delay;
    std::optional<Bytes> reply;
    {
        std::lock_guard lock(m_);
        if (removed_) return std::nullopt;
        const std::string hex = orv::hex::encode(apdu);
        log_.push_back(hex);
        ++count_;
        delay = faults_.delay;
        if (faults_.at && faults_.at->first == count_) {
            reply = faults_.at->second;
        } else {
            for (const auto& p : faults_.prefixes)
                if (hex.compare(0, p.hex.size(), p.hex) == 0) {
                    reply = p.reply;
                    break;
                }
        }
        if (!reply) reply = answer(apdu);
        if (faults_.removeAfter >= 0 && count_ >= faults_.removeAfter) removed_ = true;
    }
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    return reply;
}

Bytes Emulator::answer(const Bytes& apdu) {
    if (apdu.size() < 4) return status(kWrongLength);
    const uint8_t cla = apdu[0], ins = apdu[1];
    if (cla == 0xC0 && ins == 0xE8) return writeMonitor(apdu);
    if (cla != 0x00) return status(kBadCla);
    switch (ins) {
        case 0xA4:
            return select(apdu);
        case 0xB0:
            return readBinary(apdu);
        case 0xB2:
            return readRecord(apdu);
        case 0xDC:
            return updateRecord(apdu);
        default:
            return status(kBadIns);
    }
}

Bytes Emulator::select(const Bytes& apdu) {
    const auto data = body(apdu);
    if (!data) return status(kWrongLength);
    if (apdu[2] == 0x04) {  // by name
        if (*data != kAppName) return status(kFileNotFound);
        appSelected_ = true;
        ef_.reset();
        return status(kOk);
    }
    if (apdu[2] != 0x00 || data->size() != 2) return status(kWrongP1P2);
    const auto fid = static_cast<uint16_t>((*data)[0] << 8 | (*data)[1]);
    if (fid == 0x3F00) {
        appSelected_ = false;
        ef_.reset();
        return status(kOk);
    }
    if (!appSelected_ || !card_.files.count(fid)) return status(kFileNotFound);
    ef_ = fid;
    return status(kOk);
}

Bytes Emulator::readBinary(const Bytes& apdu) {
    if (apdu.size() != 5) return status(kWrongLength);
    if (!ef_) return status(kNotAllowed);
    const CardFile& f = card_.files.at(*ef_);
    if (!f.binary) return status(kWrongKind);
    const std::size_t offset = static_cast<std::size_t>(apdu[2] << 8 | apdu[3]);
    if (offset > f.data.size()) return status(kWrongP1P2);
    const std::size_t available = f.data.size() - offset;
    const std::size_t le = expected(apdu);
    // A request for more than the file holds is answered with the length to use.
    if (le > available) return status(static_cast<uint16_t>(0x6C00 | (available & 0xFF)));
    return withStatus(Bytes(f.data.begin() + static_cast<long>(offset),
                            f.data.begin() + static_cast<long>(offset + le)),
                      kOk);
}

Bytes Emulator::readRecord(const Bytes& apdu) {
    if (apdu.size() != 5) return status(kWrongLength);
    if (apdu[3] != 0x04) return status(kWrongP1P2);
    if (!ef_) return status(kNotAllowed);
    const CardFile& f = card_.files.at(*ef_);
    if (f.binary) return status(kWrongKind);
    const std::size_t n = apdu[2];
    if (n == 0 || n > f.records.size()) return status(kRecordNotFound);
    const Bytes& r = f.records[n - 1];
    if (expected(apdu) != r.size())
        return status(static_cast<uint16_t>(0x6C00 | (r.size() & 0xFF)));
    return withStatus(r, kOk);
}

Bytes Emulator::updateRecord(const Bytes& apdu) {
    const auto data = body(apdu);
    if (!data) return status(kWrongLength);
    if (apdu[3] != 0x04) return status(kWrongP1P2);
    if (!ef_) return status(kNotAllowed);
    CardFile& f = card_.files.at(*ef_);
    if (f.binary) return status(kWrongKind);
    const std::size_t m = apdu[2];
    if (m == 0 || m > f.records.size()) return status(kRecordNotFound);
    if (data->size() != f.records[m - 1].size()) return status(kWrongLength);
    f.records[m - 1] = *data;
    dirty_ = true;
    return status(kOk);
}

Bytes Emulator::writeMonitor(const Bytes& apdu) {
    const auto data = body(apdu);
    if (!data || data->size() != 37) return status(kWrongLength);
    if (!appSelected_) return status(kConditions);
    card_.monitor.push_back(*data);
    if (unlockOnMonitor_) {
        const auto ef04 = card_.files.find(kSummaryFile);
        if (ef04 != card_.files.end())
            for (Bytes& r : ef04->second.records)
                if (!r.empty() && r[0] == kAwaitsUnlock) r[0] = kUnlocked;
    }
    dirty_ = true;
    return status(kOk);
}

void Emulator::flush() {
    std::lock_guard lock(m_);
    if (dirty_ && !imagePath_.empty()) card_.save(imagePath_);
    dirty_ = false;
}

}  // namespace cardsim
