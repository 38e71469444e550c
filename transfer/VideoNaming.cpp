#include "transfer/VideoNaming.h"

namespace vidlark {
namespace {

constexpr int HighestNumber = 9999;

} // namespace

bool IsMpeg4Codec(const std::string& codec)
{
    return codec == "MP4V";
}

std::string VideoNamePrefix(const std::string& codec)
{
    return IsMpeg4Codec(codec) ? "M4V0" : "MAQ0";
}

std::string VideoStem(const std::string& prefix, int number)
{
    const std::string digits = "0000" + std::to_string(number);
    return prefix + digits.substr(digits.size() - 4);
}

std::optional<int> ChooseVideoNumber(const std::string& prefix,
                                     const std::function<bool(const std::string&)>& isNameTaken)
{
    const auto taken = [&](int number) { return isNameTaken(VideoStem(prefix, number) + ".MP4"); };
    int lowestFree = 1;
    while (lowestFree <= HighestNumber && taken(lowestFree))
        ++lowestFree;
    if (lowestFree > HighestNumber)
        return std::nullopt;
    int number = lowestFree;
    while (number < HighestNumber && !taken(number + 1))
        ++number;
    return number;
}

} // namespace vidlark
