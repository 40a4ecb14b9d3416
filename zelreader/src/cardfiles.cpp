#include "cardfiles.h"

#include <vector>

#include "orv/hex.h"
#include "session.h"
#include "status.h"

namespace zel {

const RecordFile kEF06{"00A4000002EF06", 37, 200};
const RecordFile kEF09{"00A4000002EF09", 192, 100};

namespace {

constexpr const char* kSelectMF = "00A40000023F00";
constexpr const char* kSelectApp = "00A40400055449443031";  // "TID01"
constexpr int kEF02Size = 221;
constexpr int kEF02ShortSize = 61;
constexpr int kEF04RecordSize = 220;
constexpr int kGroupRecordSize = 18;
constexpr int kMonitorRecordChars = 74;
// Record numbers are one byte; a walk that would pass it ends as if the
// file ended there.
constexpr int kLastRecord = 255;

// Closes the session whatever way the operation leaves.
class SessionGuard {
public:
    SessionGuard() : s_(Session::instance()) {}
    ~SessionGuard() { s_.eject(); }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;
    Session& operator*() { return s_; }
    Session* operator->() { return &s_; }

private:
    Session& s_;
};

std::string byteHex(int n) {
    std::string s;
    orv::hex::appendByte(s, static_cast<uint8_t>(n));
    return s;
}

std::string readRecord(int n, int size) { return "00B2" + byteHex(n) + "04" + byteHex(size); }

std::string readBinary(int size) { return "00B00000" + byteHex(size); }

// True when every byte in [from, to] is 00 or FF (or the record is shorter).
bool blank(const uint8_t* data, std::size_t len, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i <= to && i < len; ++i)
        if (data[i] != 0x00 && data[i] != 0xFF) return false;
    return true;
}

void appendResponse(std::string& text, Session& s) {
    const uint8_t* d = s.responseData();
    for (std::size_t i = 0; i < s.responseLength(); ++i) orv::hex::appendByte(text, d[i]);
}

// ResetCard, then SELECT of the master file and the application.
int32_t open(Session& s) {
    const int32_t r = s.reset();
    if (r != 0) return r;
    for (const char* apdu : {kSelectMF, kSelectApp}) {
        const int32_t sw = s.transmit(apdu);
        if (!sw::selectAccepted(sw)) return sw;
    }
    return sw::kOk;
}

std::string subFileSelect(Session& s) {
    const uint8_t* d = s.responseData();
    std::string apdu = "00A4000002";
    orv::hex::appendByte(apdu, d[16]);
    orv::hex::appendByte(apdu, d[17]);
    return apdu;
}

// Reads record n of EF06/EF09 after selecting the file again. Sets *done when
// the file has no record n. Returns the failing status, or kOk.
int32_t readGroupRecord(Session& s, const RecordFile& file, int n, bool* done) {
    *done = false;
    int32_t sw = s.transmit(file.select);
    if (!sw::selectAccepted(sw)) return sw;
    sw = s.transmit(readRecord(n, kGroupRecordSize));
    if (sw == sw::kRecordNotFound) {
        *done = true;
        return sw::kOk;
    }
    if (sw != sw::kOk) return sw;
    *done = blank(s.responseData(), s.responseLength(), 0, 7);
    // The sub-file identifier sits in bytes 16-17; a shorter record names none.
    if (!*done && s.responseLength() < kGroupRecordSize) return sw::kWrongLength;
    return sw::kOk;
}

}  // namespace

int32_t readEF02(std::string& text) {
    SessionGuard s;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    sw = s->transmit("00A4000002EF02");
    if (!sw::selectAccepted(sw)) return sw;
    sw = s->transmit(readBinary(kEF02Size));
    if (sw == 0x6C00 + kEF02ShortSize) sw = s->transmit(readBinary(kEF02ShortSize));
    if (sw != sw::kOk) return sw;
    std::string out;
    appendResponse(out, *s);
    text = std::move(out);
    return sw::kOk;
}

int32_t readEF04(std::string& text) {
    SessionGuard s;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    sw = s->transmit("00A4000002EF04");
    if (!sw::selectAccepted(sw)) return sw;
    std::string out;
    for (int n = 1; n <= kLastRecord; ++n) {
        sw = s->transmit(readRecord(n, kEF04RecordSize));
        if (sw == sw::kRecordNotFound) break;
        if (sw != sw::kOk) return sw;
        if (blank(s->responseData(), s->responseLength(), 1, 8)) break;
        if (n > 1) out += "##";
        appendResponse(out, *s);
    }
    text = std::move(out);
    return sw::kOk;
}

int32_t readGroups(const RecordFile& file, std::string& text, ZelProgress cb) {
    SessionGuard s;
    int32_t cancel = 0;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    std::string out;
    for (int n = 1; n <= kLastRecord; ++n) {
        bool done = false;
        sw = readGroupRecord(*s, file, n, &done);
        if (sw != sw::kOk) return sw;
        if (done) break;
        if (n > 1) out += "##";
        appendResponse(out, *s);
        out += '|';
        sw = s->transmit(subFileSelect(*s));
        if (!sw::selectAccepted(sw)) return sw;
        for (int m = 1; m <= kLastRecord; ++m) {
            sw = s->transmit(readRecord(m, file.subRecordSize));
            if (sw == sw::kRecordNotFound) break;
            if (sw != sw::kOk) return sw;
            if (blank(s->responseData(), s->responseLength(), 0, 9)) break;
            appendResponse(out, *s);
            if (cb) {
                cb(n, m, &cancel);
                if (cancel == 1) return rc::kCancelled;
            }
        }
    }
    text = std::move(out);
    return sw::kOk;
}

int32_t echoControls(const std::string& records) {
    if (records.empty() || records.size() % kMonitorRecordChars != 0) return sw::kWrongLength;
    SessionGuard s;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    for (std::size_t i = 0; i < records.size(); i += kMonitorRecordChars) {
        sw = s->transmit("C0E8000025" + records.substr(i, kMonitorRecordChars));
        if (sw != sw::kOk) break;
    }
    return sw;
}

int32_t clearGroups(const RecordFile& file, const uint8_t* counts, ZelProgress cb) {
    SessionGuard s;
    int32_t flag = 0;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    const std::string zeros(static_cast<std::size_t>(file.subRecordSize) * 2, '0');
    for (int n = 1; n <= kLastRecord; ++n) {
        bool done = false;
        sw = readGroupRecord(*s, file, n, &done);
        if (sw != sw::kOk) return sw;
        if (done) return sw::kOk;
        sw = s->transmit(subFileSelect(*s));
        if (!sw::selectAccepted(sw)) return sw;
        const int count = counts ? counts[n - 1] : file.defaultClearCount;
        for (int m = count; m >= 1; --m) {
            sw = s->transmit("00DC" + byteHex(m) + "04" + byteHex(file.subRecordSize) + zeros);
            if (sw == sw::kRecordNotFound) continue;
            if (sw != sw::kOk) return sw;
            if (cb) cb(n, m, &flag);
        }
    }
    return sw::kOk;
}

}  // namespace zel
