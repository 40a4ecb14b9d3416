// What the test server answers: one scenario for the whole run of the
// program, chosen on the command line.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "RequestCheck.h"

namespace taxsim {

enum class Delivery {
    Whole,   // the reply in one write, then close
    Split,   // the reply in two writes 50 ms apart, then close
    Silent,  // no reply; the connection stays open
    Close,   // close without a reply
};

struct Answer {
    QByteArray bytes;
    Delivery delivery = Delivery::Whole;
};

class Scenario {
public:
    // False for an unknown name.
    bool select(const QString& name);
    static QStringList names();
    // A fault at one request of the flow, "KIND:N": the N-th request since
    // the server started (1-based) gets the fault KIND (silent, close,
    // garbage or short); "refuse:N" stops listening once request N-1 was
    // answered, so that the N-th connection is refused. False when the
    // text is not of that form.
    bool setFault(const QString& spec);
    static QStringList faultKinds();
    // The request whose connection is refused; 0 for none.
    int refuseAt() const { return faultKind_ == QLatin1String("refuse") ? faultAt_ : 0; }

    // The answer to the checked request number `seq` (1-based); `run`
    // learns the serial issued and the types of the K4 sent.
    Answer answer(const Check& request, RunContext& run, int seq);

private:
    static Answer fault(const QString& kind);

    QByteArray q2(RunContext& run);
    QByteArray s2(const RunContext& run);
    QByteArray k4(const Check& request, RunContext& run);
    QByteArray k2(const RunContext& run);

    QString name_ = QStringLiteral("unlock");
    QString faultKind_;
    int faultAt_ = 0;
    int serials_ = 0;
};

}  // namespace taxsim
