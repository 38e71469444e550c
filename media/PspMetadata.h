#pragma once
// The two device-specific boxes of video files made for the handheld:
// the title in moov/uuid/MTDT and the video profile in the top-level
// uuid/VPRF. Both readers seek from header to header and read only the
// few bytes they need; a file without the boxes gives empty results.

#include <cstdint>
#include <filesystem>
#include <string>

namespace vidlark {

class TMp4File;

// The video facts of one file; all empty (0, "") when it has no profile.
struct TVideoProfile {
    std::string Codec;          // four-character code, a-z upper-cased ("MP4V")
    std::int32_t BitRate = 0;   // kbit/s
    float FrameRate = 0;        // frames per second
    std::int32_t FrameWidth = 0;
    std::int32_t FrameHeight = 0;

    bool operator==(const TVideoProfile&) const = default;
};

// The Japanese title entry's text as UTF-8, at most 125 UTF-16 units; empty
// when the file has none. Throws EFileOpenError naming shownName when the
// file cannot be opened for reading.
std::string ReadPspTitle(const std::filesystem::path& file, const std::string& shownName);

// Resets profile to its empty values, then fills it from the file's first
// top-level uuid box. Throws like ReadPspTitle, the profile already reset.
void ReadVideoProfile(const std::filesystem::path& file, const std::string& shownName,
                      TVideoProfile& profile);

// The same from a file already open, for a caller that wants both: one
// opening serves the two walks. Each starts from the beginning of the file.
std::string ReadPspTitle(TMp4File& file);
void ReadVideoProfile(TMp4File& file, TVideoProfile& profile);

} // namespace vidlark
