#include "platform/LocalPlatform.h"

#include "platform/DosPath.h"
#include "platform/FatAttributes.h"
#include "platform/FileDescriptor.h"
#include "platform/TextFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
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
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native->c_str()), ::closedir);
    if (!dir)
        return found;
    const bool fat = IsOnFatVolume(*native);
    // Each entry is looked at relative to the open folder: a listing of
    // a thousand files then walks the folder's path once, not a thousand times.
    const int folderFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        TSearchRec rec;
        rec.Name = entry->d_name;
        if (rec.Name == "." || rec.Name == ".." || !MatchesMask(rec.Name, mask))
            continue;
        // A folder needs no size; anything else is looked at (links followed).
        rec.IsDirectory = entry->d_type == DT_DIR;
        if (!rec.IsDirectory) {
            struct stat status {};
            if (::fstatat(folderFd, entry->d_name, &status, 0) != 0)
                continue; // gone since, or a dangling link
            rec.IsDirectory = S_ISDIR(status.st_mode);
            if (!rec.IsDirectory && !S_ISREG(status.st_mode))
                continue; // sockets, devices, pipes
            if (!rec.IsDirectory)
                rec.Size = static_cast<std::int64_t>(status.st_size);
        }
        const TFatAttributes attributes = fat ? ReadFatAttributes(folderFd, entry->d_name) : TFatAttributes();
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

namespace {

// Reads at a position without a seek, until it has all or meets the end.
std::int64_t ReadAtPosition(int fd, std::int64_t position, std::uint8_t* out, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, out + done, count - done, static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

} // namespace

TOpenedFile TLocalPlatform::OpenFileForReading(const fs::path& native)
{
    // Without O_NONBLOCK a pipe would wait for a writer for ever; on a plain
    // file the flag changes nothing. The type is asked of the open file, so
    // nothing can take the file's place between the look and the opening.
    auto fd = std::make_shared<TFileDescriptor>(::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!fd->IsOpen() || ::fstat(fd->Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    // Shared: the reading function is copyable, and the last copy closes the file.
    TOpenedFile opened;
    opened.ReadAt = [fd](std::int64_t position, std::uint8_t* out, std::size_t count) {
        return ReadAtPosition(fd->Get(), position, out, count);
    };
    opened.Length = static_cast<std::int64_t>(status.st_size);
    return opened;
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
