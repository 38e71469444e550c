#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace vidlark {

// Turns SIGTERM and SIGINT into a call on the user-interface thread.
class TTerminationSignal : public QObject {
public:
    explicit TTerminationSignal(std::function<void()> onSignal);
    ~TTerminationSignal() override;

private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vidlark
