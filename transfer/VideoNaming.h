#pragma once
// Device names of videos on the stick: a prefix for the coding, four digits
// and ".MP4". New numbers are taken downward from 9999.

#include <functional>
#include <optional>
#include <string>

namespace vidlark {

// MPEG-4 video is the codec "MP4V" exactly; everything else goes as AVC.
bool IsMpeg4Codec(const std::string& codec);

// "M4V0" for MPEG-4 video, "MAQ0" for everything else.
std::string VideoNamePrefix(const std::string& codec);

// prefix + number as four digits ("M4V09999"), without extension.
std::string VideoStem(const std::string& prefix, int number);

// The highest number of the lowest run of numbers whose names
// (VideoStem + ".MP4", upper case) are free; empty when all 1..9999 are taken.
std::optional<int> ChooseVideoNumber(const std::string& prefix,
                                     const std::function<bool(const std::string&)>& isNameTaken);

} // namespace vidlark
