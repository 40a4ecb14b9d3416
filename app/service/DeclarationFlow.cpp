#include "service/DeclarationFlow.h"

#include "card/CardData.h"
#include "service/OperationTexts.h"
#include "service/Requests.h"
#include "service/Wizard.h"
#include "service/WizardView.h"

namespace orv {

namespace {
constexpr int kQuerySent = 1, kAmountsSent = 2;
}

int DeclarationFlow::firstInvalid(const std::array<bool, kAmountInputs>& shown,
                                  const std::array<QString, kAmountInputs>& texts) {
    for (int i = 0; i < kAmountInputs; ++i)
        if (shown[i] && !validAmount(texts[i])) return i;
    return -1;
}

void DeclarationFlow::ok() {
    switch (w_.run().step) {
        case 7:
        case 22:
            query();
            return;
        case 11:
            pay();
            return;
        case 13:
            w_.busy(false);
            w_.run().step = 14;
            w_.tips(w_.context().data.resultText);
            w_.ready(true);
            return;
        case 14:
            askOrDeclare();
            return;
        case 15:
            declareTyped();
            return;
        default:
            // Nothing to continue: the buttons stay as they are.
            return;
    }
}

void DeclarationFlow::query() {
    w_.busy(false);
    if (!w_.connectToServer()) return;
    w_.builder().buildDeclarationQuery();
    w_.send();
    w_.run().step = 8;
    w_.run().declarationKind = kQuerySent;
}

void DeclarationFlow::pay() {
    w_.busy(false);
    if (!w_.connectToServer()) return;
    w_.builder().buildPayment();
    w_.send();
    w_.run().step = 12;
}

void DeclarationFlow::askOrDeclare() {
    w_.busy(false);
    const CardData& d = w_.context().data;
    if (const auto inputs = amountInputsFor(d.yhlx, d.ywlx)) {
        w_.tips(texts::kOtherSales);
        w_.view().showAmountInputs(*inputs);
        w_.ready(true);
        w_.run().step = 15;
        return;
    }
    if (!w_.connectToServer()) return;
    declare();
}

void DeclarationFlow::declareTyped() {
    w_.busy(false);
    CardData& d = w_.context().data;
    const auto inputs = amountInputsFor(d.yhlx, d.ywlx);
    if (!inputs) return;  // the types cannot change while the inputs are shown
    std::array<QString, kAmountInputs> typed;
    for (int i = 0; i < kAmountInputs; ++i)
        typed[i] = w_.view().amountText(i);
    const int invalid = firstInvalid(inputs->shown, typed);
    if (invalid >= 0) {
        w_.ready(true);
        w_.view().showError(texts::kAmountRejected);
        w_.view().focusAmountInput(invalid);
        return;
    }
    if (!w_.connectToServer()) return;
    double* const fields[kAmountInputs] = {&d.bqfse, &d.yshw, &d.ysfw};
    for (int i = 0; i < kAmountInputs; ++i)
        if (inputs->shown[i]) *fields[i] = amountOf(typed[i]);
    w_.view().hideAmountInputs();
    declare();
}

void DeclarationFlow::declare() {
    w_.builder().buildDeclaration();
    w_.send();
    w_.run().step = 16;
    w_.run().declarationKind = kAmountsSent;
}

}  // namespace orv
