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

    // The answer to a checked request; `run` learns the serial issued and
    // the types of the K4 sent.
    Answer answer(const Check& request, RunContext& run);

private:
    QByteArray q2(RunContext& run);
    QByteArray s2(const RunContext& run);
    QByteArray k4(const Check& request, RunContext& run);
    QByteArray k2(const RunContext& run);

    QString name_ = QStringLiteral("unlock");
    int serials_ = 0;
};

}  // namespace taxsim
