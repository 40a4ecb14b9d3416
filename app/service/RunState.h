// The state one server run shares between the wizard and the message code:
// the step the replies move, the outgoing request, which declaration was
// sent last, and the register identifier of the run.
#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

struct RunState {
    int step = 0;
    QByteArray outgoing;
    int declarationKind = 0;  // 1: query sent, 2: declaration with amounts sent
    QString registerId;       // "4" + the first EF06 machine number
};

}  // namespace orv
