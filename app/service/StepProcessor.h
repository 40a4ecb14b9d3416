// What the wizard does after a classified reply, by the run's step.
#pragma once

namespace orv {

enum class StepAction {
    None,
    ConnectAndSend,  // the classifier built the next request
    ClearUnlock,     // a monitoring record arrived: write it to the card
    EndWithStatus,   // show the status text; the run ends
    ShowResult,      // show the result text; "确定" continues
    ShowReplyData,   // show the reply data; "确定" continues
};

StepAction stepAction(int step);

}  // namespace orv
