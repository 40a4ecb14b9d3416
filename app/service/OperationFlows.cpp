#include "service/OperationFlows.h"

#include "service/ClearHistoryFlow.h"
#include "service/CopyTaxFlow.h"
#include "service/DeclarationFlow.h"

namespace orv {

namespace {
bool unlockStep(int step) {
    return step == 4 || step == 10 || step == 20;
}
}  // namespace

void OperationFlows::ok(Wizard& w) {
    switch (w.mode()) {
        case 5:
            CopyTaxFlow(w).run();
            return;
        case 6:
            if (unlockStep(w.run().step) && unlock_.mayRetry()) {
                unlock_.run(w);
            } else {
                DeclarationFlow(w).ok();
            }
            return;
        case 7:
            ClearHistoryFlow(w).run();
            return;
        default:
            return;
    }
}

}  // namespace orv
