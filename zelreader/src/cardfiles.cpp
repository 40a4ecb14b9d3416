#include "cardfiles.h"

#include <vector>

#include "apdu.h"
#include "orv/hex.h"
#include "session.h"
#include "status.h"

namespace zel {

const RecordFile kEF06{0xEF06, 37, 200};
const RecordFile kEF09{0xEF09, 192, 100};

namespace {

constexpr uint16_t kMF = 0x3F00;
constexpr uint16_t kEF02 = 0xEF02;
constexpr uint16_t kEF04 = 0xEF04;
constexpr uint8_t kEF02Size = 221;
constexpr uint8_t kEF02ShortSize = 61;
constexpr uint8_t kEF04RecordSize = 220;
constexpr uint8_t kGroupRecordSize = 18;
constexpr std::size_t kMonitorRecordChars = 74;
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

int32_t send(Session& s, const Apdu& a) {
    return s.transmit(a.bytes, a.size);
}

// True when every byte in [from, to] is 00 or FF (or the record is shorter).
bool blank(const uint8_t* data, std::size_t len, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i <= to && i < len; ++i)
        if (data[i] != 0x00 && data[i] != 0xFF) return false;
    return true;
}

void appendResponse(std::string& text, Session& s) {
    const uint8_t* d = s.responseData();
    for (std::size_t i = 0; i < s.responseLength(); ++i)
        orv::hex::appendByte(text, d[i]);
}

// ResetCard, then SELECT of the master file and the application.
int32_t open(Session& s) {
    const int32_t r = s.reset();
    if (r != 0) return r;
    int32_t sw = send(s, selectFile(kMF));
    if (!sw::selectAccepted(sw)) return sw;
    sw = send(s, selectApplication());
    return sw::selectAccepted(sw) ? sw::kOk : sw;
}

// The sub-file named by bytes 16-17 of the EF06/EF09 record just read.
Apdu subFileSelect(Session& s) {
    const uint8_t* d = s.responseData();
    return selectFile(static_cast<uint16_t>(d[16] << 8 | d[17]));
}

// Reads record n of EF06/EF09 after selecting the file again. Sets *done when
// the file has no record n. Returns the failing status, or kOk.
int32_t readGroupRecord(Session& s, const RecordFile& file, int n, bool* done) {
    *done = false;
    int32_t sw = send(s, selectFile(file.fid));
    if (!sw::selectAccepted(sw)) return sw;
    sw = send(s, readRecord(static_cast<uint8_t>(n), kGroupRecordSize));
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
    sw = send(*s, selectFile(kEF02));
    if (!sw::selectAccepted(sw)) return sw;
    sw = send(*s, readBinary(kEF02Size));
    if (sw == 0x6C00 + kEF02ShortSize) sw = send(*s, readBinary(kEF02ShortSize));
    if (sw != sw::kOk) return sw;
    text.clear();
    appendResponse(text, *s);
    return sw::kOk;
}

int32_t readEF04(std::string& text) {
    SessionGuard s;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    sw = send(*s, selectFile(kEF04));
    if (!sw::selectAccepted(sw)) return sw;
    text.clear();
    for (int n = 1; n <= kLastRecord; ++n) {
        sw = send(*s, readRecord(static_cast<uint8_t>(n), kEF04RecordSize));
        if (sw == sw::kRecordNotFound) break;
        if (sw != sw::kOk) return sw;
        if (blank(s->responseData(), s->responseLength(), 1, 8)) break;
        if (n > 1) text += "##";
        appendResponse(text, *s);
    }
    return sw::kOk;
}

int32_t readGroups(const RecordFile& file, std::string& text, ZelProgress cb) {
    SessionGuard s;
    int32_t cancel = 0;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    text.clear();
    for (int n = 1; n <= kLastRecord; ++n) {
        bool done = false;
        sw = readGroupRecord(*s, file, n, &done);
        if (sw != sw::kOk) return sw;
        if (done) break;
        if (n > 1) text += "##";
        appendResponse(text, *s);
        text += '|';
        sw = send(*s, subFileSelect(*s));
        if (!sw::selectAccepted(sw)) return sw;
        for (int m = 1; m <= kLastRecord; ++m) {
            sw = send(*s, readRecord(static_cast<uint8_t>(m), file.subRecordSize));
            if (sw == sw::kRecordNotFound) break;
            if (sw != sw::kOk) return sw;
            if (blank(s->responseData(), s->responseLength(), 0, 9)) break;
            appendResponse(text, *s);
            if (cb) {
                cb(n, m, &cancel);
                if (cancel == 1) return rc::kCancelled;
            }
        }
    }
    return sw::kOk;
}

int32_t echoControls(const std::string& records) {
    if (records.empty() || records.size() % kMonitorRecordChars != 0) return sw::kWrongLength;
    SessionGuard s;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    std::vector<uint8_t> record;
    for (std::size_t i = 0; i < records.size(); i += kMonitorRecordChars) {
        // A record that is not hex is refused as a malformed command would be.
        if (!orv::hex::decode(std::string_view(records).substr(i, kMonitorRecordChars), record))
            return sw::kWrongLength;
        sw = send(*s, writeMonitor(record.data(), static_cast<uint8_t>(record.size())));
        if (sw != sw::kOk) break;
    }
    return sw;
}

int32_t clearGroups(const RecordFile& file, const uint8_t* counts, ZelProgress cb) {
    SessionGuard s;
    int32_t flag = 0;
    int32_t sw = open(*s);
    if (sw != sw::kOk) return sw;
    for (int n = 1; n <= kLastRecord; ++n) {
        bool done = false;
        sw = readGroupRecord(*s, file, n, &done);
        if (sw != sw::kOk) return sw;
        if (done) return sw::kOk;
        sw = send(*s, subFileSelect(*s));
        if (!sw::selectAccepted(sw)) return sw;
        const int count = counts ? counts[n - 1] : file.defaultClearCount;
        for (int m = count; m >= 1; --m) {
            sw = send(*s, updateRecordZeros(static_cast<uint8_t>(m), file.subRecordSize));
            if (sw == sw::kRecordNotFound) continue;
            if (sw != sw::kOk) return sw;
            if (cb) cb(n, m, &flag);
        }
    }
    return sw::kOk;
}

}  // namespace zel
