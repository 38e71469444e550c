#include "app/TTovan_Form1.h"

namespace vidlark {

int VirtualKeyCode(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

} // namespace vidlark
