#include "card/CardAccess.h"

#include <QCoreApplication>

#include "base/AppLog.h"
#include "base/Settings.h"
#include "base/Waiter.h"
#include "card/Hex.h"

namespace orv {

namespace {
constexpr qint32 kOk = 0x9000;
constexpr int kAttempts = 4;
constexpr qint64 kEventsIntervalMs = 15;
const QString kRetryList = QStringLiteral("FFFF;FF7A;FF3F");

// The object whose operation is running: the library calls back a plain
// function, and only one card operation runs at a time.
CardAccess* g_active = nullptr;

const uint8_t* bytes(const QByteArray& a) {
    return reinterpret_cast<const uint8_t*>(a.constData());
}
}  // namespace

// Marks a card operation as running for its whole extent.
class CardAccess::BusyScope {
public:
    explicit BusyScope(CardAccess& c) : c_(c) {
        c_.busy_ = true;
        g_active = &c_;
    }
    ~BusyScope() {
        c_.busy_ = false;
        c_.activeCounts_ = nullptr;
        g_active = nullptr;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CardAccess& c_;
};

CardAccess::CardAccess(ZelLibrary& lib, Waiter& waiter, AppLog* log)
    : lib_(lib), waiter_(waiter), log_(log) {}

CardAccess::~CardAccess() {
    if (g_active == this) g_active = nullptr;
}

quint64 CardAccess::setProgressHooks(ProgressHooks hooks) {
    hooks_ = std::move(hooks);
    hooksId_ = ++lastHooksId_;
    return hooksId_;
}

void CardAccess::clearProgressHooks(quint64 id) {
    if (id == 0 || id != hooksId_) return;
    hooks_ = {};
    hooksId_ = 0;
}

ProgressHooksScope::ProgressHooksScope(CardAccess& card, ProgressHooks hooks)
    : card_(card), id_(card.setProgressHooks(std::move(hooks))) {}

ProgressHooksScope::~ProgressHooksScope() {
    card_.clearProgressHooks(id_);
}

QString CardAccess::statusText(qint32 r) {
    const QString hex =
        QStringLiteral("0000") + QString::number(static_cast<quint32>(r), 16).toUpper();
    return hex.right(4);
}

bool CardAccess::retryable(const QString& sw) {
    return !sw.isEmpty() && kRetryList.contains(sw, Qt::CaseInsensitive);
}

QString CardAccess::probeCandidate(const QStringList& readers) {
    const QString tianyu = tianyuReader(readers);
    return tianyu.isEmpty() ? QStringLiteral("USB") : tianyu;
}

bool CardAccess::available() {
    if (lib_.load()) return true;
    sw_ = QStringLiteral("FFFF");
    if (!reportedMissing_ && log_) log_->Log(QStringLiteral("zelreader: ") + lib_.reason());
    reportedMissing_ = true;
    return false;
}

void CardAccess::Delay(double seconds) {
    waiter_.delay(seconds);
}

QString CardAccess::digest(decltype(&::getSHA1) ZelLibrary::*fn, int size, const QByteArray& data) {
    if (!available()) return {};
    QByteArray out(size, '\0');
    if (!(lib_.*fn)(bytes(data), static_cast<int32_t>(data.size()),
                    reinterpret_cast<uint8_t*>(out.data())))
        return {};  // empty data has no digest
    return BytesToHex(out);
}

QString CardAccess::SHA1(const QByteArray& data) {
    return digest(&ZelLibrary::getSHA1, 20, data);
}

QString CardAccess::MD5(const QByteArray& data) {
    return digest(&ZelLibrary::getMD5, 16, data);
}

QString CardAccess::MAC(const QString& dataHex, const QString& keyHex, const QString& ivHex) {
    if (!available()) return {};
    const QByteArray data = HexToBytes(dataHex), key = HexToBytes(keyHex);
    QByteArray mac = HexToBytes(ivHex);
    mac.resize(8, '\0');
    QByteArray keyBuf = key;
    keyBuf.resize(16, '\0');  // the library reads 16 bytes for a 16-byte key
    lib_.GenerateMAC(bytes(data), bytes(keyBuf), reinterpret_cast<uint8_t*>(mac.data()),
                     static_cast<int32_t>(key.size()), static_cast<int32_t>(data.size()));
    return BytesToHex(mac);
}

qint32 CardAccess::CRC32(const QByteArray& data, int first, int last) {
    if (!available() || first < 0 || last >= data.size() || last < first) return 0;
    return lib_.CRC32(bytes(data) + first, last - first + 1);
}

qint32 CardAccess::listVia(decltype(&::GetReaderList) ZelLibrary::*fn, QStringList& names) {
    if (!available()) return 0;
    char16_t* out = nullptr;
    const qint32 n = (lib_.*fn)(&out);
    const QString text = lib_.take(out);
    if (n < 0) {
        sw_ = QString::number(n);
        return 0;
    }
    names = text.split(QLatin1Char(';')).mid(0, n);
    return n;
}

qint32 CardAccess::getReaderList(QStringList& names) {
    return listVia(&ZelLibrary::GetReaderList, names);
}

qint32 CardAccess::GetAllCOMPorts(QStringList& names) {
    return listVia(&ZelLibrary::GetAllCOMPorts, names);
}

void CardAccess::setReader(const QString& name) {
    sw_ = QStringLiteral("9000");
    reader_ = name;
    if (!available()) return;
    lib_.SetReader(reinterpret_cast<const char16_t*>(name.utf16()));
}

qint32 CardAccess::GetReaderStatus() {
    if (busy_) return lastProbe_;
    if (!available()) return lastProbe_ = 0;
    qint32 r = lib_.GetReaderStatus();
    if (r == 0) {
        QStringList readers;
        getReaderList(readers);
        const QString remembered = reader_;
        setReader(probeCandidate(readers));
        r = lib_.GetReaderStatus();
        if (r == 0) {
            setReader(remembered);
            r = lib_.GetReaderStatus();
        }
    }
    return lastProbe_ = r;
}

QString CardAccess::read(decltype(&::ReadEF04) ZelLibrary::*fn, int attempts) {
    sw_ = QStringLiteral("9000");
    if (!available()) return {};
    BusyScope scope(*this);
    for (int attempt = 1;; ++attempt) {
        char16_t* out = nullptr;
        const qint32 r = (lib_.*fn)(&out);
        if (r == kOk) {
            sw_ = QStringLiteral("9000");  // an earlier attempt may have failed
            return lib_.take(out);
        }
        sw_ = statusText(r);
        if (attempt >= attempts || !retryable(sw_)) return {};
        Delay(1);
    }
}

QString CardAccess::readEF02() {
    return read(&ZelLibrary::ReadEF02, kAttempts);
}
QString CardAccess::readEF04() {
    return read(&ZelLibrary::ReadEF04, 1);
}

QString CardAccess::readGroups(decltype(&::ReadEF06) ZelLibrary::*fn, QByteArray* counts) {
    sw_ = QStringLiteral("9000");
    if (!available()) return {};
    BusyScope scope(*this);
    activeCounts_ = counts;
    char16_t* out = nullptr;
    const qint32 r = (lib_.*fn)(&out, &CardAccess::onProgress);
    if (r == kOk) return lib_.take(out);
    sw_ = statusText(r);
    return {};
}

QString CardAccess::readEF06() {
    return readGroups(&ZelLibrary::ReadEF06, hooks_.ef06Counts);
}
QString CardAccess::readEF09() {
    return readGroups(&ZelLibrary::ReadEF09, hooks_.ef09Counts);
}

void ZEL_CALL CardAccess::onProgress(int32_t record, int32_t subRecord, int32_t* cancel) {
    CardAccess* self = g_active;
    if (!self) return;
    QByteArray* counts = self->activeCounts_;
    if (counts && record >= 1 && record <= counts->size())
        (*counts)[record - 1] = static_cast<char>(static_cast<uint8_t>(subRecord));
    // The window is kept alive at a screen's pace, not at every record: a
    // full card calls back thousands of times, and each pass over the
    // event queue costs about as much as the APDU it follows.
    if (QCoreApplication::instance() &&
        (!self->eventsTimer_.isValid() || self->eventsTimer_.elapsed() >= kEventsIntervalMs)) {
        self->eventsTimer_.start();
        QCoreApplication::processEvents();
    }
    if (self->hooks_.cancelRequested && self->hooks_.cancelRequested() && cancel) *cancel = 1;
}

bool CardAccess::writeWithRetry(const std::function<qint32()>& call) {
    for (int attempt = 1;; ++attempt) {
        const qint32 r = call();
        sw_ = statusText(r);
        if (r == kOk) return true;
        if (attempt >= kAttempts || !retryable(sw_)) return false;
        Delay(1);
    }
}

bool CardAccess::echoControls(const QString& data) {
    if (!available()) return false;
    BusyScope scope(*this);
    QString records = data;
    records.remove(QStringLiteral("##"));
    Delay(1);
    return writeWithRetry(
        [&] { return lib_.EchoControls(reinterpret_cast<const char16_t*>(records.utf16())); });
}

bool CardAccess::clear(decltype(&::ClearEF06) ZelLibrary::*fn, const QByteArray* counts) {
    if (!available()) return false;
    BusyScope scope(*this);
    Delay(1);
    // Without a whole count list the library clears its default number.
    const uint8_t* list = counts && counts->size() >= 256 ? bytes(*counts) : nullptr;
    return writeWithRetry([&] { return (lib_.*fn)(list, &CardAccess::onProgress); });
}

// Clearing all names every record a one-byte record number reaches: the
// library's own default (200 invoice rolls, 100 days) would leave the days
// after the 100th of a machine on the card. Records a sub-file does not
// have answer 6A83 and are passed over.
namespace {
const QByteArray& everyRecord() {
    static const QByteArray list(256, static_cast<char>(0xFF));
    return list;
}
}  // namespace

bool CardAccess::clearEF06(bool clearAll) {
    return clear(&ZelLibrary::ClearEF06, clearAll ? &everyRecord() : hooks_.ef06Counts);
}

bool CardAccess::clearEF09(bool clearAll) {
    return clear(&ZelLibrary::ClearEF09, clearAll ? &everyRecord() : hooks_.ef09Counts);
}

}  // namespace orv
