// Clear-unlock (steps 4, 10 and 20): the monitoring records that the server
// returned are written to the reported card, whose invoice-usage and
// daily-record files are then cleared; every outcome is recorded.
#pragma once

#include <QString>

namespace orv {

class CardAccess;
class Wizard;

class ClearUnlock {
public:
    void run(Wizard& wizard);
    // True after an attempt that left the card without the record it
    // failed on, or where the card's state can tell: the card could not be
    // read, it was another card, it refused the record, or the first
    // record's write failed where the card may have run it (its summary
    // flag, read first, tells whether it took it). "确定" then goes on from
    // the first record the card did not take, once the right card is back,
    // rather than the taxpayer being left with a locked card. A record is
    // never written twice.
    bool mayRetry() const { return retry_; }

    // Whether a failed write of one record (its status text) surely left
    // the card without it: no session reached the card (FFxx, 6700 before
    // any command), or the card answered with a status that keeps its
    // memory unchanged (62xx, 64xx, 66xx to 6Exx). A transport failure, 63xx
    // or 65xx (memory changed) and 6F00 may follow a write the card ran.
    static bool recordNotTaken(const QString& sw);

private:
    // Records `outcome`, logs `logLine` and shows `text`. When the outcome
    // cannot be saved the card's outcome is still shown, then the database
    // error, and both are logged. False in that case.
    bool finish(Wizard& w, int outcome, const QString& logLine, const QString& text, bool retry);
    // One clear with the counted records; its failure recorded and shown.
    bool clear(Wizard& w, bool (CardAccess::*clearFile)(bool), int outcome,
               const QString& failedLog, const QString& failedText, const QString& doneLog);

    bool retry_ = false;
    // The monitoring data being written and how many of its records the
    // card has taken, across retries.
    QString records_;
    qsizetype taken_ = 0;
    // The last write failed where the card may have run it.
    bool unsure_ = false;
};

}  // namespace orv
