#include "service/StepProcessor.h"

namespace orv {

StepAction stepAction(int step) {
    switch (step) {
        case 2:
        case 5:
            return StepAction::ConnectAndSend;
        case 4:
        case 10:
        case 20:
            return StepAction::ClearUnlock;
        case 6:
        case 17:
        case 21:
        case 30:
        case 31:
        case 32:
        case 33:
        case 34:
            return StepAction::EndWithStatus;
        case 7:
        case 11:
        case 14:
        case 22:
            return StepAction::ShowResult;
        case 13:
            return StepAction::ShowReplyData;
        default:
            return StepAction::None;
    }
}

}  // namespace orv
