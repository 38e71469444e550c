#include "app/SpeedButton.h"

#include <QEvent>

namespace vidlark {

bool TSpeedButton::event(QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        event->ignore();
        return false;
    }
    return QToolButton::event(event);
}

} // namespace vidlark
