// Classifies a server reply into the run's next step, taking its fields
// into the card data, saving what the reply decides, and building the next
// request where a reply starts one at once (Q2, and an S2 asking for the
// detail).
#pragma once

#include <QString>

#include "service/Wire.h"

namespace orv {

class CardData;
class RecordsStore;
class RequestBuilder;
struct RunState;

// Monitoring data the card can take: one or more records of 74 hex
// characters, "##" between records.
bool wholeMonitoringRecords(const QString& data);

class ReplyClassifier {
public:
    ReplyClassifier(CardData& card, RunState& run, RequestBuilder& builder, RecordsStore& store)
        : card_(card), run_(run), builder_(builder), store_(store) {}

    // Sets run.step. False when saving to the records database failed
    // (`error` says why); the step is then set all the same.
    bool classify(const wire::Reply& reply, QString* error = nullptr);
    // A reply that could not be taken at all (refused as oversized): as a
    // reply of an unknown type.
    void refuse();

private:
    bool q2(const wire::Reply& r);
    bool s2(const wire::Reply& r, QString* error);
    bool k2(const wire::Reply& r, QString* error);
    bool k4(const wire::Reply& r, QString* error);
    bool abnormal(int step);
    // An acceptance whose monitoring data the card cannot take: the text
    // that says so, and the run ends at `step`.
    void unusableRecord(int step);
    // Keeps the monitoring data for clear-unlock: the records go to ef01,
    // the operation row says they are stored but not yet written (jg3 = 2).
    bool storeMonitoring(const QString& data, QString* error);

    CardData& card_;
    RunState& run_;
    RequestBuilder& builder_;
    RecordsStore& store_;
};

}  // namespace orv
