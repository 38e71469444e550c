#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace vidlark {

// Turns SIGTERM and SIGINT into a call on the user-interface thread. The
// signals are caught from construction on, before there is anything to tell,
// so that one arriving during start-up does not kill the program half-way: it
// waits and is handed on once a receiver is set and the event loop runs.
class TTerminationSignal {
public:
    TTerminationSignal();
    ~TTerminationSignal();
    TTerminationSignal(const TTerminationSignal&) = delete;
    TTerminationSignal& operator=(const TTerminationSignal&) = delete;

    // Signals reach onSignal, from the event loop, while the returned object
    // lives; those caught before the call too. Needs the application object,
    // which must outlive the returned one.
    [[nodiscard]] std::unique_ptr<QObject> DeliverTo(std::function<void()> onSignal) const;
};

} // namespace vidlark
