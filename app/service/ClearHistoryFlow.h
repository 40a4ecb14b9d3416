// Clearing the card's history, "确定" in mode 7: on a card that is already
// unlocked, the invoice-usage and daily-record files are cleared whole. No
// message is exchanged and nothing is recorded.
#pragma once

#include <QString>

namespace orv {

class Wizard;

class ClearHistoryFlow {
public:
    explicit ClearHistoryFlow(Wizard& wizard) : w_(wizard) {}
    void run();

private:
    // One clear; its failure shown with "确定" enabled to repeat the whole.
    bool clear(bool (*clearFile)(Wizard&), const QString& failedLog, const QString& doneLog);

    Wizard& w_;
};

}  // namespace orv
