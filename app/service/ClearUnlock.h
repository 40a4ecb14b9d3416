// Clear-unlock (steps 4, 10 and 20): the monitoring record that the server
// returned is written to the reported card, whose invoice-usage and
// daily-record files are then cleared; every outcome is recorded.
#pragma once

#include <QString>

namespace orv {

class CardAccess;
class Wizard;

class ClearUnlock {
public:
    void run(Wizard& wizard);
    // True after an attempt that left the card as it was: it could not be
    // read, it was another card, or it did not take the monitoring record.
    // The record is kept, so "确定" may write it once the right card is
    // back, rather than the taxpayer being left with a locked card.
    bool mayRetry() const { return retry_; }

private:
    bool save(Wizard& w, int outcome);
    // One clear with the counted records; its failure recorded and shown.
    bool clear(Wizard& w, bool (CardAccess::*clearFile)(bool), int outcome,
               const QString& failedLog, const QString& failedText, const QString& doneLog);
    void fail(Wizard& w, const QString& tips, bool retry);

    bool retry_ = false;
};

}  // namespace orv
