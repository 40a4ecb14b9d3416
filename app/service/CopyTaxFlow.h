// Copy-tax reporting, "确定" in mode 5: the four card reads with their
// checks, the connect, and the serial request that opens the exchange the
// replies then drive.
#pragma once

#include <QString>

namespace orv {

class CardAccess;
class CardData;
class Wizard;

class CopyTaxFlow {
public:
    explicit CopyTaxFlow(Wizard& wizard) : w_(wizard) {}
    void run();

private:
    // One read at its step: stored and logged, or its failure shown.
    bool readFile(int step, const QString& tips, QString (CardAccess::*read)(),
                  QString CardData::*text, QString (*shortForm)(const QString&));
    void stop(const QString& logText, const QString& tips);

    Wizard& w_;
};

}  // namespace orv
