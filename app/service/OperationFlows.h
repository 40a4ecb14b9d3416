// The operations of modes 5 to 7 as the wizard's flows: copy-tax reporting,
// declaration and payment, clear-unlock and clearing the card's history.
#pragma once

#include "service/ClearUnlock.h"
#include "service/Wizard.h"

namespace orv {

class OperationFlows : public WizardFlows {
public:
    void ok(Wizard& wizard) override;
    void clearUnlock(Wizard& wizard) override { unlock_.run(wizard); }

private:
    ClearUnlock unlock_;
};

}  // namespace orv
