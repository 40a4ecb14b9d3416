#include "card/RecordsStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "card/CardData.h"
#include "card/CardRecords.h"
#include "card/RowInsert.h"

namespace orv {

namespace {

bool fail(const QSqlQuery& q, QString* error) {
    if (error) *error = q.lastError().text();
    return false;
}

bool execWith(QSqlQuery& q, const QVariantList& values, QString* error) {
    for (qsizetype i = 0; i < values.size(); ++i)
        q.bindValue(static_cast<int>(i), values[i]);
    return q.exec() || fail(q, error);
}

QStringList numbered(const char* prefix) {
    QStringList names;
    for (int k = 1; k <= 6; ++k)
        names << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k);
    return names;
}

void addAmounts(QVariantList& v, const std::array<qint64, 6>& fen) {
    for (qint64 a : fen)
        v << card::amountValue(a);
}

// The period of the first summary record, as "yyyy-mm-dd".
std::pair<QString, QString> period(const CardData& c) {
    const QList<card::Ef04> summaries = card::parseEf04(c.ef04);
    if (summaries.isEmpty()) return {};
    return {summaries.first().sjqsrq, summaries.first().sjjzrq};
}

}  // namespace

// Commits when told to; rolls back otherwise, whatever way the scope ends.
// Within a batch it is the batch's: its commit and roll-back are the
// batch's to do.
class RecordsStore::Transaction {
public:
    explicit Transaction(RecordsStore& store)
        : db_(store.db_), joined_(store.batchOpen_), open_(joined_ || db_.transaction()) {}
    ~Transaction() {
        if (open_ && !joined_) db_.rollback();
    }
    // False, with `error` set, when the transaction did not begin.
    bool ok(QString* error) const {
        if (!open_ && error) *error = db_.lastError().text();
        return open_;
    }
    bool commit(QString* error) {
        open_ = false;
        if (joined_) return true;
        if (db_.commit()) return true;
        if (error) *error = db_.lastError().text();
        db_.rollback();
        return false;
    }

private:
    QSqlDatabase& db_;
    const bool joined_;
    bool open_;
};

RecordsStore::Batch::Batch(RecordsStore& store, CardData& card)
    : store_(store), card_(card), rID_(card.rID), open_(store.db_.transaction()) {
    store_.batchOpen_ = open_;
}

RecordsStore::Batch::~Batch() {
    if (!open_) return;
    store_.db_.rollback();
    store_.batchOpen_ = false;
    card_.rID = rID_;
}

bool RecordsStore::Batch::commit(QString* error) {
    if (!open_) {
        if (error && error->isEmpty()) *error = store_.db_.lastError().text();
        return false;
    }
    open_ = false;
    store_.batchOpen_ = false;
    if (store_.db_.commit()) return true;
    if (error) *error = store_.db_.lastError().text();
    store_.db_.rollback();
    card_.rID = rID_;
    return false;
}

bool RecordsStore::insertOperation(CardData& c, const char* resultColumn, int result,
                                   bool withPeriod, bool amounts, QString* error) {
    const card::Ef02 e2 = card::parseEf02(c.ef02);
    QStringList cols{QStringLiteral("nsrbm"), QStringLiteral("nsrmc"), QStringLiteral("jyrq"),
                     QStringLiteral("jylsh"), QLatin1String(resultColumn)};
    QVariantList v{e2.nsrbm, e2.dwmc, QString::fromStdString(clock_.now().isoDate()), c.rSn,
                   result};
    if (withPeriod) {
        const auto [start, end] = period(c);
        cols << QStringLiteral("skqsrq") << QStringLiteral("skjzrq");
        v << start << end;
    }
    if (amounts) {
        cols << QStringLiteral("je1") << QStringLiteral("je2") << QStringLiteral("je3")
             << QStringLiteral("je");
        v << c.xssr1 << c.xssr2 << c.xssr3 << c.nsje;
    }
    RowInsert insert(db_, "sbjs", cols, binding_);
    if (!insert.run(v, error)) return false;
    c.rID = insert.lastId();
    return true;
}

bool RecordsStore::updateOperation(const CardData& c, const QString& assignments,
                                   const QVariantList& values, QString* error) {
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("update sbjs set %1 where id=?").arg(assignments)))
        return fail(q, error);
    if (!execWith(q, QVariantList(values) << c.rID, error)) return false;
    if (q.numRowsAffected() == 0) {
        if (error) *error = QStringLiteral("operation row %1 not found").arg(c.rID);
        return false;
    }
    return true;
}

bool RecordsStore::saveEf02(const CardData& c, QString* error) {
    const card::Ef02 e = card::parseEf02(c.ef02);
    RowInsert insert(db_, "ef02",
                     {QStringLiteral("skjsl"), QStringLiteral("nsrbm"), QStringLiteral("yyqyrq"),
                      QStringLiteral("yyyxrq"), QStringLiteral("yylx"), QStringLiteral("yybb"),
                      QStringLiteral("fci"), QStringLiteral("dwmc"), QStringLiteral("cbid")},
                     binding_);
    return insert.run({e.skjsl, e.nsrbm, e.yyqyrq, e.yyyxrq, e.yylx, e.yybb, e.fci, e.dwmc, c.rID},
                      error);
}

bool RecordsStore::saveEf04(const CardData& c, const QString& nsrmc, QString* error) {
    const QStringList cols =
        QStringList{QStringLiteral("hzbz"),   QStringLiteral("skkbh"),  QStringLiteral("sjqsrq"),
                    QStringLiteral("sjjzrq"), QStringLiteral("zcfpfs"), QStringLiteral("tpfs"),
                    QStringLiteral("fpfs"),   QStringLiteral("szsm")}
        << numbered("zcfpje") << numbered("tpje")
        << QStringList{QStringLiteral("zcfpzje"), QStringLiteral("tpzje"), QStringLiteral("ztz"),
                       QStringLiteral("mac"),     QStringLiteral("sign1"), QStringLiteral("sign2"),
                       QStringLiteral("cbid"),    QStringLiteral("nsrmc")};
    RowInsert insert(db_, "ef04", cols, binding_);
    if (!insert.ok(error)) return false;
    for (const card::Ef04& e : card::parseEf04(c.ef04)) {
        QVariantList v{e.hzbz, e.skkbh, e.sjqsrq, e.sjjzrq, e.zcfpfs, e.tpfs, e.fpfs, e.szsm};
        addAmounts(v, e.zcfpje);
        addAmounts(v, e.tpje);
        v << card::amountValue(e.zcfpzje) << card::amountValue(e.tpzje) << e.ztz << e.mac << e.sign1
          << e.sign2 << c.rID << nsrmc;
        if (!insert.run(v, error)) return false;
    }
    return true;
}

bool RecordsStore::saveEf06(const CardData& c, const QString& nsrmc, QString* error) {
    RowInsert insert(db_, "ef06",
                     {QStringLiteral("skjbh"), QStringLiteral("fpdm"), QStringLiteral("fpqsh"),
                      QStringLiteral("fpzzh"), QStringLiteral("zcfpfs"), QStringLiteral("tpfs"),
                      QStringLiteral("fpfs"), QStringLiteral("zcfpzje"), QStringLiteral("tpzje"),
                      QStringLiteral("kpqssj"), QStringLiteral("kpjzsj"), QStringLiteral("cbid"),
                      QStringLiteral("nsrmc")},
                     binding_);
    if (!insert.ok(error)) return false;
    for (const card::Group& g : card::splitGroups(c.ef06, card::kInvoiceRollChars)) {
        for (const QString& sub : g.subs) {
            const card::InvoiceRoll r = card::parseInvoiceRoll(sub);
            if (!insert.run({g.skjbh, r.fpdm, r.fpqsh, r.fpzzh, r.zcfpfs, r.tpfs, r.fpfs,
                             card::amountValue(r.zcfpzje), card::amountValue(r.tpzje), r.kpqssj,
                             r.kpjzsj, c.rID, nsrmc},
                            error))
                return false;
        }
    }
    return true;
}

bool RecordsStore::saveEf09(const CardData& c, const QString& nsrmc, QString* error) {
    const QStringList cols =
        QStringList{QStringLiteral("skjbh"), QStringLiteral("kprq"), QStringLiteral("zcfpfs"),
                    QStringLiteral("tpfs"),  QStringLiteral("fpfs"), QStringLiteral("szsm")}
        << numbered("zcfpje") << numbered("tpje")
        << QStringList{QStringLiteral("sign1"), QStringLiteral("sign2"), QStringLiteral("cbid"),
                       QStringLiteral("nsrmc")};
    RowInsert insert(db_, "ef09", cols, binding_);
    if (!insert.ok(error)) return false;
    for (const card::Group& g : card::splitGroups(c.ef09, card::kDailyRecordChars)) {
        for (const QString& sub : g.subs) {
            const card::DailyRecord d = card::parseDailyRecord(sub);
            QVariantList v{g.skjbh, d.kprq, d.zcfpfs, d.tpfs, d.fpfs, d.szsm};
            addAmounts(v, d.zcfpje);
            addAmounts(v, d.tpje);
            v << d.sign1 << d.sign2 << c.rID << nsrmc;
            if (!insert.run(v, error)) return false;
        }
    }
    return true;
}

bool RecordsStore::SaveCBS(CardData& c, int result, QString* error) {
    Transaction t(*this);
    if (!t.ok(error)) return false;
    const qint64 previous = c.rID;
    const QString nsrmc = card::parseEf02(c.ef02).dwmc;
    const bool ok = insertOperation(c, "jg1", result, false, false, error) && saveEf02(c, error) &&
                    saveEf04(c, nsrmc, error) && saveEf06(c, nsrmc, error) &&
                    saveEf09(c, nsrmc, error) && t.commit(error);
    if (!ok) c.rID = previous;  // the row was rolled back with the rest
    return ok;
}

bool RecordsStore::SaveSBJS(CardData& c, int result, QString* error) {
    // Amounts belong to a successful declaration only (result 1); a failed
    // one (2) leaves them at 0.
    const bool amounts = result == 1;
    if (c.rID == -1) return insertOperation(c, "jg2", result, true, amounts, error);
    const auto [start, end] = period(c);
    QString set = QStringLiteral("jg2=?, skqsrq=?, skjzrq=?");
    QVariantList v{result, start, end};
    if (amounts) {
        set += QStringLiteral(", je1=?, je2=?, je3=?, je=?");
        v << c.xssr1 << c.xssr2 << c.xssr3 << c.nsje;
    }
    return updateOperation(c, set, v, error);
}

bool RecordsStore::SaveQLJS(CardData& c, int result, QString* error) {
    if (c.rID == -1) return insertOperation(c, "jg3", result, true, false, error);
    return updateOperation(c, QStringLiteral("jg3=?"), {result}, error);
}

bool RecordsStore::SaveEf01(CardData& c, QString* error) {
    Transaction t(*this);
    if (!t.ok(error)) return false;
    const qint64 previous = c.rID;
    bool ok = SaveQLJS(c, 2, error);
    if (ok && !c.ef01.isEmpty()) {
        // Finalized before the commit.
        RowInsert insert(db_, "ef01",
                         {QStringLiteral("dat"), QStringLiteral("cbid"), QStringLiteral("nsrmc")},
                         binding_);
        const QString nsrmc = card::parseEf02(c.ef02).dwmc;
        for (const QString& piece : c.ef01.split(QStringLiteral("##"))) {
            ok = insert.run({piece, c.rID, nsrmc}, error);
            if (!ok) break;
        }
    }
    ok = ok && t.commit(error);
    if (!ok) c.rID = previous;
    return ok;
}

}  // namespace orv
