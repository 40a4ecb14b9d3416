// clsSC: the program's single doorway to the reader library. Turns every
// result into a four-character status text, retries what fails for a card
// that is not seated well, and hands card data back as hex text.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>

#include "card/ZelLibrary.h"

namespace orv {

class AppLog;
class Waiter;

// Where the progress of EF06/EF09 reads goes: the per-record count lists
// (256 bytes each, owned by the card data) and the user's cancel request.
struct ProgressHooks {
    QByteArray* ef06Counts = nullptr;
    QByteArray* ef09Counts = nullptr;
    std::function<bool()> cancelRequested;
};

class CardAccess;

// Progress hooks for the life of their owner: the hooks point into the
// object that set them (a wizard and its card data), and a card call made
// after that object is gone must not reach into it.
class ProgressHooksScope {
public:
    ProgressHooksScope(CardAccess& card, ProgressHooks hooks);
    ~ProgressHooksScope();
    ProgressHooksScope(const ProgressHooksScope&) = delete;
    ProgressHooksScope& operator=(const ProgressHooksScope&) = delete;

private:
    CardAccess& card_;
    quint64 id_;
};

class CardAccess {
public:
    CardAccess(ZelLibrary& lib, Waiter& waiter, AppLog* log = nullptr);
    ~CardAccess();
    CardAccess(const CardAccess&) = delete;
    CardAccess& operator=(const CardAccess&) = delete;

    QString SHA1(const QByteArray& data);
    QString MD5(const QByteArray& data);
    QString MAC(const QString& dataHex, const QString& keyHex, const QString& ivHex);
    qint32 CRC32(const QByteArray& data, int first, int last);
    // The reader probe; while a card operation runs it answers the last
    // known result without touching the library.
    qint32 GetReaderStatus();
    qint32 GetAllCOMPorts(QStringList& names);
    qint32 getReaderList(QStringList& names);
    void setReader(const QString& name);
    QString readEF02();
    QString readEF04();
    QString readEF06();
    QString readEF09();
    bool echoControls(const QString& data);
    bool clearEF06(bool clearAll);
    bool clearEF09(bool clearAll);
    QString getSW() const { return sw_; }
    void Delay(double seconds);

    bool busy() const { return busy_; }
    const QString& currentReader() const { return reader_; }
    // Installs the hooks in place of any others; the number names this
    // install for clearProgressHooks.
    quint64 setProgressHooks(ProgressHooks hooks);
    // Removes the hooks of install `id`, unless others have replaced them.
    void clearProgressHooks(quint64 id);
    const ProgressHooks& progressHooks() const { return hooks_; }

    // "0000" + hex of r, last four characters, upper case.
    static QString statusText(qint32 r);
    // True for the codes worth another attempt: FFFF, FF7A, FF3F.
    static bool retryable(const QString& sw);
    // The reader the probe falls back to: a Tianyu reader, else "USB".
    static QString probeCandidate(const QStringList& readers);

private:
    class BusyScope;
    bool available();
    // Exports are named by member: they are bound only once available() ran.
    qint32 listVia(decltype(&::GetReaderList) ZelLibrary::*fn, QStringList& names);
    QString read(decltype(&::ReadEF04) ZelLibrary::*fn, int attempts);
    QString readGroups(decltype(&::ReadEF06) ZelLibrary::*fn, QByteArray* counts);
    bool writeWithRetry(const std::function<qint32()>& call);
    bool clear(decltype(&::ClearEF06) ZelLibrary::*fn, const QByteArray* counts);
    QString digest(decltype(&::getSHA1) ZelLibrary::*fn, int size, const QByteArray& data);
    static void ZEL_CALL onProgress(int32_t record, int32_t subRecord, int32_t* cancel);

    ZelLibrary& lib_;
    Waiter& waiter_;
    AppLog* log_;
    QString sw_ = QStringLiteral("9000");
    QString reader_;
    bool busy_ = false;
    qint32 lastProbe_ = 0;
    bool reportedMissing_ = false;
    ProgressHooks hooks_;
    quint64 hooksId_ = 0;  // the install that hooks_ came from; 0: none
    quint64 lastHooksId_ = 0;
    QByteArray* activeCounts_ = nullptr;
    QElapsedTimer eventsTimer_;  // since the progress callback last let events run
};

}  // namespace orv
