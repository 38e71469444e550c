#pragma once

#include <QToolButton>

namespace vidlark {

// The folder button. It has no menu of its own: a right-click, also while it
// is disabled, goes on to the panel that holds it (a disabled Qt button
// would swallow it).
class TSpeedButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    bool event(QEvent* event) override;
};

} // namespace vidlark
