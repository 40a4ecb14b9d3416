#include "service/ReplyClassifier.h"

#include <QRegularExpression>

#include "base/Text.h"
#include "card/CardData.h"
#include "card/RecordsStore.h"
#include "service/OperationTexts.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/Texts.h"

namespace orv {

namespace {
constexpr int kMonitorRecordChars = 74;
constexpr int kEchoRefused = 6;  // sbjs.jg3: the monitoring data was not written
}  // namespace

bool wholeMonitoringRecords(const QString& data) {
    static const QRegularExpression records(
        QStringLiteral("^[0-9A-Fa-f]{74}(##[0-9A-Fa-f]{74})*$"));
    return records.match(data).hasMatch();
}

bool ReplyClassifier::storeMonitoring(const QString& data, QString* error) {
    card_.ef01 = data;
    return store_.SaveEf01(card_, error);
}

void ReplyClassifier::unusableRecord(int step) {
    card_.statusText = texts::kMonitoringUnusable + QLatin1Char('\n') + texts::kContactService;
    run_.step = step;
}

bool ReplyClassifier::abnormal(int step) {
    card_.statusText = texts::kAbnormalReply;
    run_.step = step;
    return true;
}

void ReplyClassifier::refuse() {
    abnormal(34);
}

bool ReplyClassifier::classify(const wire::Reply& reply, QString* error) {
    const QString type = reply.type();
    if (type == QLatin1String("Q2")) return q2(reply);
    if (type == QLatin1String("S2")) return s2(reply, error);
    if (type == QLatin1String("K2")) return k2(reply, error);
    if (type == QLatin1String("K4")) return k4(reply, error);
    return abnormal(34);
}

bool ReplyClassifier::q2(const wire::Reply& r) {
    run_.step = 24;
    card_.rSn = r.trimmedField(130, 16);
    if (card_.rSn.size() != 16) {
        card_.statusText = texts::kSerialFailed;
        run_.step = 30;
        return true;
    }
    card_.joinS1(1);
    builder_.buildReport();
    run_.step = 2;
    return true;
}

bool ReplyClassifier::s2(const wire::Reply& r, QString* error) {
    run_.step = 3;
    card_.statusText = r.trimmedField(70, 60);
    card_.resultText = r.trimmedField(130, 80);
    if (r.integerField(220, 15) != 0) {
        // The record means the report was accepted: the report is kept as
        // any other accepted one, with the record under the same row. A
        // record the card could not take is neither kept nor written; the
        // refused write is, so that nobody reports again what was booked.
        const QString record = r.field(235, kMonitorRecordChars);
        const bool whole = wholeMonitoringRecords(record);
        if (whole)
            run_.step = 4;
        else
            unusableRecord(31);
        RecordsStore::Batch batch(store_, card_);
        if (!store_.SaveCBS(card_, 1, error)) return false;
        if (!whole) return store_.SaveQLJS(card_, kEchoRefused, error) && batch.commit(error);
        return storeMonitoring(record, error) && batch.commit(error);
    }
    if (card_.resultText == QLatin1String("0")) {
        card_.joinS1(2);
        builder_.buildReport();
        run_.step = 5;
        return true;
    }
    if (!card_.statusText.isEmpty()) {
        run_.step = 6;
        return store_.SaveCBS(card_, card_.statusText.contains(texts::kReportAccepted) ? 1 : 2,
                              error);
    }
    if (card_.resultText.size() >= 2) {
        run_.step = 7;
        return store_.SaveCBS(card_, 1, error);
    }
    return abnormal(31);
}

bool ReplyClassifier::k2(const wire::Reply& r, QString* error) {
    run_.step = 19;
    card_.statusText = r.trimmedField(85, 60);
    card_.resultText = r.trimmedField(145, 80);
    if (r.integerField(235, 15) != 0) {
        // As for S2: the payment was booked whatever the record holds.
        const QString record = r.field(250, kMonitorRecordChars);
        const bool whole = wholeMonitoringRecords(record);
        if (whole)
            run_.step = 20;
        else
            unusableRecord(33);
        RecordsStore::Batch batch(store_, card_);
        if (!store_.SaveSBJS(card_, 1, error)) return false;
        if (!whole) return store_.SaveQLJS(card_, kEchoRefused, error) && batch.commit(error);
        return storeMonitoring(record, error) && batch.commit(error);
    }
    if (!card_.statusText.isEmpty()) {
        run_.step = 21;
        return store_.SaveSBJS(card_, 2, error);
    }
    if (card_.resultText.isEmpty()) return abnormal(33);
    run_.step = 22;
    return true;
}

bool ReplyClassifier::k4(const wire::Reply& r, QString* error) {
    run_.step = 9;
    card_.ywlx = r.field(70, 2);
    card_.yhlx = r.field(72, 1);
    card_.statusText = r.trimmedField(88, 60);
    card_.resultText = r.trimmedField(148, 80);
    const qint64 length = r.integerField(238, 15);
    if (length > 0)
        card_.replyData =
            trimSpaces(r.field(253, static_cast<int>(qMin<qint64>(length, wire::kMaxReply))));
    if (card_.ywlx == QLatin1String("05") && length >= 1) {
        // The reply data is the monitoring data that clear-unlock writes.
        if (!wholeMonitoringRecords(card_.replyData)) return abnormal(32);
        run_.step = 10;
        return storeMonitoring(card_.replyData, error);
    }
    if (card_.ywlx == QLatin1String("03")) {
        card_.nsje = r.decimalField(73, 15);
        run_.step = 11;
        return true;
    }
    if (run_.declarationKind == 2) {
        card_.nsje = r.decimalField(73, 15);
        if (!card_.resultText.isEmpty()) {
            run_.step = 11;
            return true;
        }
        card_.statusText = texts::kAbnormalReply;
    }
    if (!card_.statusText.isEmpty()) {
        run_.step = 17;
    } else if (length < 1) {
        if (card_.resultText.isEmpty()) return abnormal(32);
        run_.step = 14;
    } else {
        run_.step = 13;
    }
    return true;
}

}  // namespace orv
