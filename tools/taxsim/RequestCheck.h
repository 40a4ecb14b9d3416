// Strict checks of one client request: the frame, every field at its
// offset, and what must stay the same through a run.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace taxsim {

// What the server knows of the run so far.
struct RunContext {
    QString registerId;  // set by the run's Q1
    QString serial;      // issued by the Q2
    int reports = 0;     // S1 requests seen in this run
    QString yhlx, ywlx;  // of the last K4 sent
};

struct Check {
    QString type;
    QStringList errors;
    QJsonObject found;  // the fields read
    QString data;       // the data section
    bool ok() const { return errors.isEmpty(); }
};

// Checks `request` against the run; `run` learns the register identifier of
// a Q1.
Check checkRequest(const QByteArray& request, RunContext& run);

// The EF04, EF06 and EF09 texts of a detail report, as the client joins
// them: EF04 + "#" + EF06 + "#" + EF09, each file empty or its records
// joined by "##". nullopt when the text is not of that form.
std::optional<QStringList> splitDetailReport(const QString& data);

// The number of amounts a K3 declaration carries for a user and business
// type, and whether it ends in "#0".
int declarationAmounts(const QString& yhlx, const QString& ywlx, bool* zeroSuffix);

}  // namespace taxsim
