// The real program for tests that start it as a process: its message boxes
// answered through the seam (OK), and the system taken as online, so that
// its update check runs against the test's own server.
#include "gui/MessageBox.h"
#include "shell/NetworkState.h"
#include "shell/ProgramMain.h"

#include <QCoreApplication>

namespace {
class Online : public orv::NetworkState {
public:
    bool online() override { return true; }
};

}  // namespace

static void answerMessages() {
    orv::MessageBox::setAnswering(true);
}

Q_COREAPP_STARTUP_FUNCTION(answerMessages)

int main(int argc, char** argv) {
    Online online;
    return orv::programMain(argc, argv, orv::ProgramSeams{&online});
}
