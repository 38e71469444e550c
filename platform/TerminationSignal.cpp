#include "platform/TerminationSignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vidlark {

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

TTerminationSignal::TTerminationSignal()
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

std::unique_ptr<QObject> TTerminationSignal::DeliverTo(std::function<void()> onSignal) const
{
    if (signalPipe[0] < 0)
        return nullptr;
    // A byte already in the pipe makes the notifier fire on the loop's first pass.
    auto notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [onSignal = std::move(onSignal)] {
                         char buffer[16];
                         while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
                         }
                         onSignal();
                     });
    return notifier;
}

TTerminationSignal::~TTerminationSignal()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    for (int& fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace vidlark
