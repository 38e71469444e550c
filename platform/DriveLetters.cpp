#include "platform/DriveLetters.h"

#include <algorithm>
#include <set>

namespace vidlark {

namespace {

// Undoes the octal escapes ("\040" for a blank) of a mount-table field.
std::string Unescape(std::string_view field)
{
    std::string out;
    const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

} // namespace

std::vector<TMountEntry> ParseMountTable(std::string_view text)
{
    std::vector<TMountEntry> entries;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        std::vector<std::string_view> fields;
        while (!line.empty() && fields.size() < 3) {
            const auto start = line.find_first_not_of(" \t");
            if (start == std::string_view::npos)
                break;
            line.remove_prefix(start);
            const auto end = line.find_first_of(" \t");
            fields.push_back(line.substr(0, end));
            line = end == std::string_view::npos ? std::string_view() : line.substr(end);
        }
        if (fields.size() == 3)
            entries.push_back({Unescape(fields[0]), Unescape(fields[1]), Unescape(fields[2])});
    }
    return entries;
}

bool IsRemovableMountPoint(const std::filesystem::path& mountPoint)
{
    for (const std::filesystem::path base : {"/media", "/run/media", "/mnt"}) {
        const auto [baseEnd, pointIt] = std::mismatch(base.begin(), base.end(), mountPoint.begin(), mountPoint.end());
        if (baseEnd == base.end() && pointIt != mountPoint.end() && !pointIt->empty())
            return true;
    }
    return false;
}

void TDriveLetters::Update(std::vector<TVolume> volumes)
{
    std::sort(volumes.begin(), volumes.end(),
              [](const TVolume& a, const TVolume& b) { return a.MountPoint < b.MountPoint; });
    present_.clear();
    std::vector<TVolume> newcomers;
    std::set<std::uint64_t> seen;
    for (auto& volume : volumes) {
        if (!seen.insert(volume.DeviceNumber).second)
            continue; // the same volume mounted twice: its first mount point counts
        const auto it = letterOfDevice_.find(volume.DeviceNumber);
        if (it != letterOfDevice_.end() && !present_.count(it->second))
            present_[it->second] = std::move(volume);
        else
            newcomers.push_back(std::move(volume));
    }
    std::set<char> everGiven;
    for (const auto& [device, letter] : letterOfDevice_)
        everGiven.insert(letter);
    for (auto& volume : newcomers) {
        char chosen = 0;
        for (char letter = 'D'; letter <= 'Z' && !chosen; ++letter)
            if (!everGiven.count(letter) && !present_.count(letter))
                chosen = letter;
        // All letters were given once: take back one whose volume is gone.
        for (char letter = 'D'; letter <= 'Z' && !chosen; ++letter)
            if (!present_.count(letter))
                chosen = letter;
        if (!chosen)
            break; // more than 23 volumes: the rest get no letter
        std::erase_if(letterOfDevice_, [&](const auto& entry) { return entry.second == chosen; });
        letterOfDevice_[volume.DeviceNumber] = chosen;
        everGiven.insert(chosen);
        present_[chosen] = std::move(volume);
    }
}

std::optional<std::filesystem::path> TDriveLetters::FolderOf(char letter) const
{
    if (letter == 'C')
        return std::filesystem::path("/");
    const auto it = present_.find(letter);
    if (it == present_.end())
        return std::nullopt;
    return it->second.MountPoint;
}

} // namespace vidlark
