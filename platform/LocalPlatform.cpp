#include "platform/LocalPlatform.h"

#include "platform/DosPath.h"
#include "platform/FatAttributes.h"
#include "platform/TextFile.h"

#include <system_error>

namespace vidlark {

namespace fs = std::filesystem;

std::optional<fs::path> TLocalPlatform::ResolvePath(const std::string& path)
{
    const auto dos = SplitDosPath(path);
    if (!dos)
        return fs::path(path);
    const auto folder = DriveFolder(dos->Letter);
    if (!folder)
        return std::nullopt;
    return ResolveComponents(*folder, dos->Components);
}

bool TLocalPlatform::FileExists(const std::string& path)
{
    const auto native = ResolvePath(path);
    std::error_code ec;
    return native && fs::is_regular_file(*native, ec);
}

bool TLocalPlatform::DirectoryExists(const std::string& path)
{
    const auto native = ResolvePath(path);
    std::error_code ec;
    return native && fs::is_directory(*native, ec);
}

bool TLocalPlatform::ForceDirectories(const std::string& path)
{
    const auto native = ResolvePath(path);
    if (!native)
        return false;
    std::error_code ec;
    fs::create_directories(*native, ec);
    return fs::is_directory(*native, ec);
}

std::vector<TSearchRec> TLocalPlatform::FindFiles(const std::string& folder, const std::string& mask)
{
    std::vector<TSearchRec> found;
    const auto native = ResolvePath(folder);
    if (!native)
        return found;
    const bool fat = IsOnFatVolume(*native);
    std::error_code ec;
    for (fs::directory_iterator it(*native, ec), end; !ec && it != end; it.increment(ec)) {
        TSearchRec rec;
        rec.Name = it->path().filename().string();
        if (!MatchesMask(rec.Name, mask))
            continue;
        std::error_code entryError;
        rec.IsDirectory = it->is_directory(entryError);
        if (!rec.IsDirectory && !it->is_regular_file(entryError))
            continue; // sockets, devices, dangling links
        if (!rec.IsDirectory) {
            const auto size = it->file_size(entryError);
            rec.Size = entryError ? 0 : static_cast<std::int64_t>(size);
        }
        const TFatAttributes attributes = fat ? ReadFatAttributes(it->path()) : TFatAttributes();
        rec.Hidden = rec.Name.front() == '.' || attributes.Hidden;
        rec.System = attributes.System;
        found.push_back(std::move(rec));
    }
    return found;
}

bool TLocalPlatform::DeleteFile(const std::string& path)
{
    const auto native = ResolvePath(path);
    std::error_code ec;
    if (!native || fs::is_directory(*native, ec))
        return false;
    return fs::remove(*native, ec);
}

TProfileFile TLocalPlatform::LoadSettings()
{
    const auto bytes = ReadTextFile(SettingsPath());
    return bytes ? TProfileFile::FromBytes(*bytes) : TProfileFile();
}

bool TLocalPlatform::SaveSettings(const TProfileFile& settings)
{
    return ReplaceTextFile(SettingsPath(), settings.ToBytes());
}

} // namespace vidlark
