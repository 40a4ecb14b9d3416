// SIGTERM (log-out, shutdown, a service manager), SIGINT and SIGHUP (the
// terminal that started the program) through a self-pipe: the handler only
// writes a byte, and the event loop reads it.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>

#include "shell/EndRequest.h"

namespace orv {

namespace {
constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request; nothing else is safe here.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
}  // namespace

struct EndRequest::Impl {
    QSocketNotifier* notifier = nullptr;
    std::array<struct sigaction, kSignals.size()> previous{};
};

EndRequest::EndRequest(QObject* parent) : QObject(parent), d_(std::make_unique<Impl>()) {
    // Without the pipe the system's default stays: the process ends at once.
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    d_->notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(d_->notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[64];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        receive();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The reader library and pcsc-lite do not expect their calls to fail
    // with EINTR because a request came in the middle of one.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &d_->previous[i]);
}

EndRequest::~EndRequest() {
    if (!d_->notifier) return;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &d_->previous[i], nullptr);
    delete d_->notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

}  // namespace orv
