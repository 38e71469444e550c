#include "app/TTovan_Form1.h"

#include "media/FileNames.h"
#include "transfer/VideoNaming.h"

#include <unordered_set>

namespace vidlark {
namespace {

std::unordered_set<std::string> ListedNamesUpperCased(const QTreeWidget& list)
{
    std::unordered_set<std::string> names;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        names.insert(UpperCaseAscii(list.topLevelItem(row)->text(0).toStdString()));
    return names;
}

} // namespace

bool TTovan_Form1::IsNameTaken(const std::string& name)
{
    return ListedNamesUpperCased(*ListView1).contains(name);
}

bool TTovan_Form1::NextVideoName(const std::string& codec)
{
    const std::string folder = DriveRoot + (IsMpeg4Codec(codec) ? CurMpeg4Dir : CurAvcDir);
    // Only a listing of that very folder that ran to its end tells which
    // names are taken; anything less could reuse the name of a video there.
    if (completeListing_ != folder)
        return false;
    const std::unordered_set<std::string> taken = ListedNamesUpperCased(*ListView1);
    const std::string prefix = VideoNamePrefix(codec);
    const auto number = ChooseVideoNumber(prefix, [&](const std::string& name) { return taken.contains(name); });
    if (!number)
        return false;
    DestStem = folder + VideoStem(prefix, *number);
    return true;
}

} // namespace vidlark
