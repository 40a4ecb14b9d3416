#include "service/ClearHistoryFlow.h"

#include "card/CardAccess.h"
#include "service/OperationTexts.h"
#include "service/Wizard.h"
#include "service/WizardTexts.h"
#include "service/WizardView.h"

namespace orv {

namespace {
const QString kOk = QStringLiteral("9000");
const QString kAwaitsUnlock = QStringLiteral("01");

bool clearInvoices(Wizard& w) {
    return w.context().card.clearEF06(true);
}
bool clearDaily(Wizard& w) {
    return w.context().card.clearEF09(true);
}
}  // namespace

bool ClearHistoryFlow::clear(bool (*clearFile)(Wizard&), const QString& failedLog,
                             const QString& doneLog) {
    if (clearFile(w_)) {
        w_.log(doneLog);
        return true;
    }
    const QString sw = w_.context().card.getSW();
    w_.log(failedLog + sw);
    w_.ready(true);
    QString text = texts::kClearHistoryFailed + sw + QLatin1Char('\n');
    const QString hint = Wizard::cardHint(sw);
    if (!hint.isEmpty()) text += hint + QLatin1Char('\n');
    w_.tips(text + texts::kContactService);
    return false;
}

void ClearHistoryFlow::run() {
    const WizardContext& c = w_.context();
    w_.busy(false);
    w_.clearCancel();
    w_.tips(texts::kReading[1]);
    w_.view().playAnimation();
    const QString ef04 = c.card.readEF04();
    const QString sw = c.card.getSW();
    if (sw != kOk) {
        w_.ready(false);
        w_.showReadFailure(sw);
        return;
    }
    if (ef04.left(2) == kAwaitsUnlock) {
        w_.log(texts::kNotUnlockedLog);
        w_.ready(false);
        w_.tips(texts::kNotUnlocked + QLatin1Char('\n') + texts::kNotUnlockedHint);
        return;
    }
    w_.tips(texts::kClearingHistory + QLatin1Char('\n') + texts::kClearingTakesLong);
    w_.view().openClip(c.writingClip);
    w_.view().playAnimation();
    if (!clear(clearInvoices, texts::kClearEF06FailedLog, texts::kClearEF06DoneLog) ||
        !clear(clearDaily, texts::kClearEF09FailedLog, texts::kClearEF09DoneLog))
        return;
    w_.ready(true);
    w_.tips(texts::kHistoryCleared);
}

}  // namespace orv
