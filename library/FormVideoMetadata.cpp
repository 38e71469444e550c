#include "app/TTovan_Form1.h"

#include "media/FileOpenError.h"

namespace vidlark {

// The reader takes native paths; the error names the file as the caller
// gave it, drive letter and all.

std::string TTovan_Form1::ReadPspTitle(const std::string& fileName)
{
    const auto native = Platform.ResolvePath(fileName);
    if (!native)
        throw EFileOpenError(fileName);
    return vidlark::ReadPspTitle(*native, fileName);
}

void TTovan_Form1::ReadVideoProfile(const std::string& fileName)
{
    VideoProfile = TVideoProfile();
    const auto native = Platform.ResolvePath(fileName);
    if (!native)
        throw EFileOpenError(fileName);
    vidlark::ReadVideoProfile(*native, fileName, VideoProfile);
}

} // namespace vidlark
