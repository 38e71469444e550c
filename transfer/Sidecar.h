#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>

namespace vidlark {

// The thumbnail beside a video: baseName + ".THM" in the video's folder,
// found without regard to letter case (an exact match wins).
std::optional<std::string> FindSidecar(TPlatform& platform, const std::string& video,
                                       const std::string& baseName);

} // namespace vidlark
