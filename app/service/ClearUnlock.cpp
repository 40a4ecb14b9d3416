#include "service/ClearUnlock.h"

#include "card/CardAccess.h"
#include "card/CardData.h"
#include "service/OperationTexts.h"
#include "service/ShortForm.h"
#include "service/Wizard.h"
#include "service/WizardTexts.h"
#include "service/WizardView.h"

namespace orv {

namespace {
const QString kOk = QStringLiteral("9000");

// Outcomes as the records database keeps them (sbjs.jg3).
enum Outcome {
    kSuccess = 1,
    kUnreadable = 4,
    kOtherCard = 5,
    kEchoFailed = 6,
    kInvoicesNotCleared = 7,
    kDailyNotCleared = 8,
};
}  // namespace

bool ClearUnlock::save(Wizard& w, int outcome) {
    QString error;
    if (w.store().SaveQLJS(w.context().data, outcome, &error)) return true;
    w.unexpectedError(Wizard::kDatabaseError, error);
    return false;
}

void ClearUnlock::fail(Wizard& w, const QString& tips, bool retry) {
    w.ready(retry);
    w.tips(tips);
    retry_ = retry;
}

bool ClearUnlock::clear(Wizard& w, bool (CardAccess::*clearFile)(bool), int outcome,
                        const QString& failedLog, const QString& failedText,
                        const QString& doneLog) {
    CardAccess& card = w.context().card;
    if ((card.*clearFile)(false)) {
        w.log(doneLog);
        return true;
    }
    const QString sw = card.getSW();
    if (!save(w, outcome)) return false;
    w.log(failedLog + sw);
    fail(w,
         failedText + sw + QLatin1Char('\n') + texts::kUseClearHistory + texts::kOrContactService,
         false);
    return false;
}

void ClearUnlock::run(Wizard& w) {
    const WizardContext& c = w.context();
    CardAccess& card = c.card;
    retry_ = false;
    w.tips(texts::kUnlocking + QLatin1Char('\n') + texts::kDoNotPull);
    w.session().closeSocket();
    w.view().openClip(c.writingClip);
    w.view().playAnimation();
    w.busy(false);

    const QString ef02 = card.readEF02();
    QString sw = card.getSW();
    if (sw != kOk) {
        if (!save(w, kUnreadable)) return;
        w.log(texts::kCardSwappedLog + sw);
        fail(w, Wizard::readFailedText(sw), true);
        return;
    }
    if (ef02 != c.data.ef02) {
        if (!save(w, kOtherCard)) return;
        w.log(texts::kCardSwappedLog + shortFormEF02(ef02));
        fail(w, texts::kOtherCard + QLatin1Char('\n') + texts::kCheckAndRetry, true);
        return;
    }
    if (!card.echoControls(c.data.ef01)) {
        sw = card.getSW();
        if (!save(w, kEchoFailed)) return;
        w.log(texts::kEchoFailedLog + sw);
        fail(w, texts::kEchoFailed + sw + QLatin1Char('\n') + texts::kContactService, true);
        return;
    }
    w.log(texts::kEchoDoneLog);
    // From here the card is unlocked: a failed clear is for clearing the
    // card's history to finish, never for writing the record again.
    if (!clear(w, &CardAccess::clearEF06, kInvoicesNotCleared, texts::kClearEF06FailedLog,
               texts::kClearInvoicesFailed, texts::kClearEF06DoneLog) ||
        !clear(w, &CardAccess::clearEF09, kDailyNotCleared, texts::kClearEF09FailedLog,
               texts::kClearDailyFailed, texts::kClearEF09DoneLog))
        return;
    if (!save(w, kSuccess)) return;
    w.ready(false);
    w.tips(texts::kUnlocked);
}

}  // namespace orv
