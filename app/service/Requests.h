// The requests the client sends: Q1, S1, K3 (query and declaration) and K1,
// each written into the run's outgoing buffer.
#pragma once

#include <QString>
#include <functional>

#include "orv/clock.h"
#include "service/Wire.h"

namespace orv {

class CardData;
struct RunState;

// "0.00" form of an amount: rounded to fen, at least one integer digit, no
// thousands separator and never an exponent; a value that is no number
// gives "0.00".
QString declarationAmount(double value);
// The declaration data of K3 for the user and business type of the last K4.
QString declarationData(const CardData& card);
// "4" + the machine number of the first EF06 record.
QString registerIdFor(const CardData& card);

class RequestBuilder {
public:
    // `counter`: the transaction counter as stored (the wizard has just added
    // 1 to it).
    RequestBuilder(CardData& card, RunState& run, wire::Crc32 crc, std::function<qint64()> counter,
                   const Clock& clock = SystemClock::instance());

    void buildSerialRequest();  // Q1; fills an empty serial first
    void buildReport();         // S1 with the card data's s1
    void buildDeclarationQuery();
    void buildDeclaration();
    void buildPayment();  // K1

private:
    // Register identifier and serial, the fields every request starts with.
    QString head(const char* type) const;
    static QString dataLength(qsizetype bytes);
    void send(const QString& fields);
    void declaration(const QString& data);  // K3 with code "04"

    CardData& card_;
    RunState& run_;
    wire::Crc32 crc_;
    std::function<qint64()> counter_;
    const Clock& clock_;
};

}  // namespace orv
