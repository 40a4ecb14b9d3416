#include "service/Wizard.h"

#include <exception>

#include "base/AppLog.h"
#include "base/ErrorTexts.h"
#include "base/Settings.h"
#include "card/CardAccess.h"
#include "card/CardData.h"
#include "service/StepProcessor.h"
#include "service/WizardTexts.h"
#include "service/WizardView.h"

namespace orv {

namespace {
const QString kOk = QStringLiteral("9000");

QString oneLine(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}
}  // namespace

Wizard::Wizard(WizardContext context, WizardView& view, QObject* parent)
    : QObject(parent),
      ctx_(std::move(context)),
      view_(view),
      store_(ctx_.db, ctx_.wallClock),
      builder_(
          ctx_.data, run_,
          [this](const QByteArray& d, int first, int last) {
              return ctx_.card.CRC32(d, first, last);
          },
          [this] { return counter_; }, ctx_.wallClock),
      classifier_(ctx_.data, run_, builder_, store_),
      session_(*this, ctx_.waiter, ctx_.clock, this),
      progressHooks_(ctx_.card, {&ctx_.data.ef06Counts, &ctx_.data.ef09Counts,
                                 [this] { return cancelFlag_; }}) {}

void Wizard::open() {
    idle_ = true;
    cancelFlag_ = false;
    run_.step = 0;
    ctx_.data.Clear();
    session_.configure(ctx_.settings.IP, ctx_.settings.PORT, ctx_.settings.ConnOverTime,
                       ctx_.settings.EchoOverTime);
    view_.openClip(ctx_.readingClip);
    tips(texts::kInsertCard);
}

void Wizard::tips(const QString& text) {
    view_.showTips(text);
}

void Wizard::busy(bool cancelEnabled) {
    idle_ = false;
    view_.setButtons(false, cancelEnabled);
}

void Wizard::ready(bool okEnabled) {
    view_.stopAnimation();
    view_.setButtons(okEnabled, true);
    idle_ = true;
}

QString Wizard::prefix() const {
    return QString::asprintf("[%02d,%03d]", mode_, run_.step);
}

void Wizard::log(const QString& text) {
    ctx_.log.Log(prefix() + text);
}

QString Wizard::cardHint(const QString& sw) {
    if (sw == QLatin1String("FF7A")) return texts::kHintNotSeated;
    if (sw == QLatin1String("FF3F")) return texts::kHintReversed;
    return {};
}

QString Wizard::readFailedText(const QString& sw) {
    QString text = texts::kReadFailed + sw + QLatin1Char('\n');
    const QString hint = cardHint(sw);
    if (!hint.isEmpty()) text += hint + QLatin1Char('\n');
    return text + texts::kCheckAndRetry;
}

void Wizard::showReadFailure(const QString& sw) {
    const QString text = readFailedText(sw);
    tips(text);
    log(sw + oneLine(text));
}

bool Wizard::connectToServer() {
    if (closing_) return false;
    return session_.connectToServer([this] { return closing_; });
}

void Wizard::send() {
    session_.send(run_.outgoing);
}

qint64 Wizard::advanceTransactionCounter() {
    counter_ = NextTransactionNumber(ctx_.ini);
    return counter_;
}

void Wizard::unexpectedError(int number, const QString& description) {
    // The description the user reads is the program's; the technical one
    // (SQLite's, an exception's) goes to the log.
    const QString shown = number == kDatabaseError ? kRecordsUnwritable : kInternalFault;
    const QString text = texts::kUnexpected + QLatin1Char('\n') + texts::kErrorNumber +
                         QString::number(number) + QLatin1Char('\n') + texts::kErrorDescription +
                         shown + QLatin1Char('\n');
    tips(text);
    log(oneLine(text).trimmed() + QStringLiteral("（") + description + QStringLiteral("）"));
    ready(false);
}

void Wizard::guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        unexpectedError(kInternalError, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        unexpectedError(kInternalError, QStringLiteral("unknown exception"));
    }
}

void Wizard::ok() {
    guarded([this] {
        if (mode_ >= 1 && mode_ <= 4) {
            readCardFile();
        } else if (flows_) {
            flows_->ok(*this);
        }
    });
}

void Wizard::readCardFile() {
    struct File {
        QString (CardAccess::*read)();
        QString CardData::*text;
    };
    static const File kFiles[] = {
        {&CardAccess::readEF02, &CardData::ef02},
        {&CardAccess::readEF04, &CardData::ef04},
        {&CardAccess::readEF06, &CardData::ef06},
        {&CardAccess::readEF09, &CardData::ef09},
    };
    const File& f = kFiles[mode_ - 1];
    const bool cancellable = mode_ == 3 || mode_ == 4;
    (ctx_.data.*f.text).clear();
    tips(texts::kReading[mode_ - 1]);
    view_.playAnimation();
    busy(cancellable);
    reading_ = cancellable;
    cancelFlag_ = false;
    const QString text = (ctx_.card.*f.read)();
    reading_ = false;
    // "确定" tries the read again after a failure.
    ready(true);
    const QString sw = ctx_.card.getSW();
    if (cancellable && cancelFlag_) {
        closing_ = true;
        view_.closeWizard();
        return;
    }
    if (sw == kOk) {
        ctx_.data.*f.text = text;
        closing_ = true;
        view_.closeWizard();
        return;
    }
    showReadFailure(sw);
}

void Wizard::cancel() {
    if (reading_) {
        cancelFlag_ = true;
        return;
    }
    if (run_.step != 0) log(texts::kUserLeft);
    closing_ = true;
    session_.closeSocket();
    view_.closeWizard();
}

bool Wizard::requestClose() {
    if (closing_) return true;
    if (!idle_ && !reading_) return false;
    cancel();
    return closing_;
}

void Wizard::serverConnectedChanged(bool connected) {
    if (ctx_.serverConnected) ctx_.serverConnected(connected);
}

void Wizard::replyArrived(const wire::Reply& reply, bool refused) {
    guarded([&] {
        QString error;
        if (refused) {
            classifier_.refuse();
        } else if (!classifier_.classify(reply, &error)) {
            unexpectedError(kDatabaseError, error);
            return;
        }
        processStep();
    });
}

void Wizard::processStep() {
    switch (stepAction(run_.step)) {
        case StepAction::ConnectAndSend:
            if (connectToServer()) send();
            break;
        case StepAction::ClearUnlock:
            if (flows_) flows_->clearUnlock(*this);
            break;
        case StepAction::EndWithStatus:
            tips(ctx_.data.statusText);
            ready(false);
            session_.closeSocket();
            break;
        case StepAction::ShowResult:
            tips(ctx_.data.resultText);
            ready(true);
            break;
        case StepAction::ShowReplyData:
            tips(ctx_.data.replyData);
            ready(true);
            break;
        case StepAction::None:
            break;
    }
}

}  // namespace orv
