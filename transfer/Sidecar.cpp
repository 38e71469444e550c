#include "transfer/Sidecar.h"

#include "media/FileNames.h"

namespace vidlark {

std::optional<std::string> FindSidecar(TPlatform& platform, const std::string& video,
                                       const std::string& baseName)
{
    const std::string folder = FolderOf(video);
    const std::string wanted = baseName + ".THM";
    const std::string wantedUpper = UpperCaseAscii(wanted);
    std::optional<std::string> found;
    for (const TSearchRec& rec : platform.FindFiles(folder.empty() ? "." : folder, "*.THM")) {
        if (rec.IsDirectory || UpperCaseAscii(rec.Name) != wantedUpper)
            continue;
        if (rec.Name == wanted)
            return JoinPath(folder, rec.Name);
        // Of several case variants the first in name order, so the choice is stable.
        if (!found || rec.Name < *found)
            found = rec.Name;
    }
    if (!found)
        return std::nullopt;
    return JoinPath(folder, *found);
}

} // namespace vidlark
