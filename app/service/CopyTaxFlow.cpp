#include "service/CopyTaxFlow.h"

#include "base/Settings.h"
#include "card/CardAccess.h"
#include "card/CardData.h"
#include "service/DailyRecordCheck.h"
#include "service/OperationTexts.h"
#include "service/Requests.h"
#include "service/ShortForm.h"
#include "service/Wizard.h"
#include "service/WizardTexts.h"
#include "service/WizardView.h"

namespace orv {

namespace {
const QString kOk = QStringLiteral("9000");
const QString kNoValidSummary = QStringLiteral("00");
constexpr int kDeclarationMode = 6;
}  // namespace

bool CopyTaxFlow::readFile(int step, const QString& tips, QString (CardAccess::*read)(),
                           QString CardData::*text, QString (*shortForm)(const QString&)) {
    const WizardContext& c = w_.context();
    w_.run().step = step;
    w_.tips(tips);
    const QString content = (c.card.*read)();
    const QString sw = c.card.getSW();
    if (sw != kOk) {
        w_.ready(false);
        w_.showReadFailure(sw);
        return false;
    }
    c.data.*text = content;
    w_.log(c.settings.DETAILEDLOG ? content : shortForm(content));
    return true;
}

void CopyTaxFlow::stop(const QString& logText, const QString& tips) {
    w_.log(logText);
    w_.ready(false);
    w_.tips(tips);
}

void CopyTaxFlow::run() {
    const WizardContext& c = w_.context();
    CardData& d = c.data;
    w_.run().step = 0;
    d.Clear();
    w_.view().playAnimation();
    w_.busy(false);
    if (!readFile(25, texts::kReading[0], &CardAccess::readEF02, &CardData::ef02, shortFormEF02) ||
        !readFile(26, texts::kReading[1], &CardAccess::readEF04, &CardData::ef04, shortFormEF04))
        return;
    if (d.ef04.left(2) == kNoValidSummary) {
        // The period of the first summary, as its 8 digits.
        stop(texts::kNotSummarisedLog, texts::kAlreadyUnlocked + QLatin1Char('\n') +
                                           texts::kLastPeriod + d.ef04.mid(18, 8) +
                                           texts::kPeriodTo + d.ef04.mid(26, 8) +
                                           QLatin1Char('\n') + texts::kNotSummarisedHint);
        return;
    }
    if (!readFile(27, texts::kReading[2], &CardAccess::readEF06, &CardData::ef06, shortFormEF06) ||
        !readFile(28, texts::kReadingDaily, &CardAccess::readEF09, &CardData::ef09, shortFormEF09))
        return;
    switch (checkDailyRecords(d.ef04, d.ef09)) {
        case DailyRecords::None:
            stop(texts::kNoDailyLog, texts::kNoDaily + QLatin1Char('\n') + texts::kDailyHint);
            return;
        case DailyRecords::Mismatch:
            stop(texts::kDailyMismatchLog,
                 texts::kDailyMismatch + QLatin1Char('\n') + texts::kDailyHint);
            return;
        case DailyRecords::Pass:
            break;
    }
    w_.ready(false);
    w_.run().step = 1;
    if (!w_.connectToServer()) return;
    w_.run().registerId = registerIdFor(d);
    w_.advanceTransactionCounter();
    // Every later "确定" of this window belongs to the declaration.
    w_.setMode(kDeclarationMode);
    w_.run().step = 23;
    w_.builder().buildSerialRequest();
    w_.send();
}

}  // namespace orv
