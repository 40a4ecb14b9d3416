// The four writers of the records database. SaveCBS and SaveEf01 write their
// operation row and its child rows in one transaction: a failure half-way
// leaves nothing half-stored, and the error still reaches the caller.
#pragma once

#include <QSqlDatabase>
#include <QString>

#include "card/RowInsert.h"
#include "orv/clock.h"

namespace orv {

class CardData;

class RecordsStore {
public:
    // `binding`: how the rows are inserted (see RowInsert); tests force Qt's.
    explicit RecordsStore(QSqlDatabase db, const Clock& clock = SystemClock::instance(),
                          RowInsert::Binding binding = RowInsert::Binding::Fastest)
        : db_(std::move(db)), clock_(clock), binding_(binding) {}

    // A new operation row with the copy-tax result, then the card's
    // ef02/ef04/ef06/ef09 rows; sets card.rID.
    bool SaveCBS(CardData& card, int result, QString* error = nullptr);
    // jg2 with the period, and the amounts when the declaration succeeded
    // (result 1), into the current row or a new one.
    bool SaveSBJS(CardData& card, int result, QString* error = nullptr);
    // jg3 into the current row or a new one.
    bool SaveQLJS(CardData& card, int result, QString* error = nullptr);
    // One ef01 row per monitoring record, and jg3 = 2 (stored, not yet
    // written to the card) in the current row or a new one.
    bool SaveEf01(CardData& card, QString* error = nullptr);

    // Writers run while a batch is open form one transaction with it:
    // nothing of them stays unless commit() succeeds, and card.rID is then
    // back at its value when the batch began.
    class Batch {
    public:
        Batch(RecordsStore& store, CardData& card);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        bool commit(QString* error);

    private:
        RecordsStore& store_;
        CardData& card_;
        qint64 rID_;
        bool open_;
    };

private:
    class Transaction;
    bool insertOperation(CardData& card, const char* resultColumn, int result, bool period,
                         bool amounts, QString* error);
    bool updateOperation(const CardData& card, const QString& assignments,
                         const QVariantList& values, QString* error);
    bool saveEf02(const CardData& card, QString* error);  // ef02 carries dwmc, not nsrmc
    bool saveEf04(const CardData& card, const QString& nsrmc, QString* error);
    bool saveEf06(const CardData& card, const QString& nsrmc, QString* error);
    bool saveEf09(const CardData& card, const QString& nsrmc, QString* error);

    QSqlDatabase db_;
    const Clock& clock_;
    RowInsert::Binding binding_;
    bool batchOpen_ = false;
};

}  // namespace orv
