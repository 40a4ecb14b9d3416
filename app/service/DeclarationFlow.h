// Declaration and tax payment, "确定" in mode 6: the declaration query, the
// amount inputs and the declaration with amounts, and the payment, by the
// step the last reply left.
#pragma once

#include <array>

#include "service/AmountInputs.h"

namespace orv {

class Wizard;

class DeclarationFlow {
public:
    explicit DeclarationFlow(Wizard& wizard) : w_(wizard) {}
    void ok();

    // The first of the shown inputs whose text is no valid amount, in the
    // order first, second, third; -1 when all are valid.
    static int firstInvalid(const std::array<bool, kAmountInputs>& shown,
                            const std::array<QString, kAmountInputs>& texts);

private:
    void query();
    void pay();
    void askOrDeclare();
    void declareTyped();
    // Sends the K3 with the amounts held; the run waits for its K4.
    void declare();

    Wizard& w_;
};

}  // namespace orv
