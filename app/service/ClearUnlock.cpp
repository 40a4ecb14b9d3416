#include "service/ClearUnlock.h"

#include <QStringList>

#include "base/ErrorTexts.h"
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

bool ClearUnlock::recordNotTaken(const QString& sw) {
    if (sw.size() != 4) return false;
    if (sw.startsWith(QLatin1String("FF")) || sw == QLatin1String("6700")) return true;
    bool ok = false;
    const int group = sw.left(2).toInt(&ok, 16);
    return ok && (group == 0x62 || group == 0x64 || (group >= 0x66 && group <= 0x6E));
}

bool ClearUnlock::finish(Wizard& w, int outcome, const QString& logLine, const QString& text,
                         bool retry) {
    QString error;
    const bool saved = w.store().SaveQLJS(w.context().data, outcome, &error);
    if (!logLine.isEmpty()) w.log(logLine);
    retry_ = retry;
    w.ready(retry);
    if (saved) {
        w.tips(text);
        return true;
    }
    // What the card went through comes first: the taxpayer must learn it
    // even when it could not be recorded. SQLite's words go to the log only.
    const QString dbText = texts::kUnexpected + QLatin1Char('\n') + texts::kErrorNumber +
                           QString::number(Wizard::kDatabaseError) + QLatin1Char('\n') +
                           texts::kErrorDescription + kRecordsUnwritable;
    w.tips(text + QLatin1Char('\n') + dbText);
    w.log(QString(dbText).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QStringLiteral("（") +
          error + QStringLiteral("）"));
    return false;
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
    finish(w, outcome, failedLog + sw,
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

    const QString retryLine = QLatin1Char('\n') + texts::kRetryWithOk;
    const QString ef02 = card.readEF02();
    QString sw = card.getSW();
    if (sw != kOk) {
        finish(w, kUnreadable, texts::kCardSwappedLog + sw, Wizard::readFailedText(sw) + retryLine,
               true);
        return;
    }
    if (ef02 != c.data.ef02) {
        finish(w, kOtherCard, texts::kCardSwappedLog + shortFormEF02(ef02),
               texts::kOtherCard + QLatin1Char('\n') + texts::kCheckAndRetry + retryLine, true);
        return;
    }
    // One record a session, so that after a failure it is known which
    // records the card holds: a retry goes on from the first it did not
    // take, and where that cannot be known nothing is written again.
    if (c.data.ef01 != records_) {
        records_ = c.data.ef01;
        taken_ = 0;
        unsure_ = false;
    }
    if (unsure_) {
        // The first record's write failed where the card may have run it.
        // Any record it takes unlocks it, so its summary flag tells.
        const QString ef04 = card.readEF04();
        sw = card.getSW();
        if (sw != kOk) {
            finish(w, kUnreadable, texts::kCardSwappedLog + sw,
                   Wizard::readFailedText(sw) + retryLine, true);
            return;
        }
        if (!ef04.startsWith(QLatin1String("01"))) ++taken_;
        unsure_ = false;
    }
    const QStringList records = records_.split(QStringLiteral("##"), Qt::SkipEmptyParts);
    for (; taken_ < records.size(); ++taken_) {
        if (card.echoControls(records[taken_])) continue;
        sw = card.getSW();
        unsure_ = !recordNotTaken(sw);
        // After the card took a record its summary flag no longer tells.
        const bool retry = !unsure_ || taken_ == 0;
        const QString text = texts::kEchoFailed + sw + QLatin1Char('\n') +
                             (retry ? texts::kContactService + retryLine
                                    : texts::kUseClearHistory + texts::kOrContactService);
        finish(w, kEchoFailed, texts::kEchoFailedLog + sw, text, retry);
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
    finish(w, kSuccess, {}, texts::kUnlocked, false);
}

}  // namespace orv
