#include "app/WindowFonts.h"

#include <QStringList>

namespace vidlark {

QFont WindowFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("sans-serif")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace vidlark
