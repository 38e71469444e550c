#include "app/FolderCaptions.h"

namespace vidlark {

QString SlotCaption(int number, const std::string& folder, bool current)
{
    return QString::fromUtf8(current ? ">(&" : "(&") + QString::number(number) + QStringLiteral(") ")
         + QString::fromStdString(folder);
}

} // namespace vidlark
