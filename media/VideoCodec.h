#pragma once

#include <string>

namespace vidlark {

// The Codec of the video's profile; empty when it has none or the file cannot
// be opened (such a video counts as AVC, and its copy then fails).
std::string VideoCodecOf(const std::string& path);

} // namespace vidlark
