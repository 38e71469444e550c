#include "media/VideoCodec.h"

#include "media/FileOpenError.h"
#include "media/PspMetadata.h"

namespace vidlark {

std::string VideoCodecOf(const std::string& path)
{
    TVideoProfile profile;
    try {
        ReadVideoProfile(path, path, profile);
    } catch (const EFileOpenError&) {
        return std::string();
    }
    return profile.Codec;
}

} // namespace vidlark
