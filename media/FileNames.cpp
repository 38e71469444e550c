#include "media/FileNames.h"

#include <cstring>

namespace vidlark {

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ExtractBaseName(const std::string& path)
{
    const std::string name = FileNameOf(path);
    return name.substr(0, name.size() - ExtensionOf(name).size());
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string UpperCaseAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string FatSafeName(const std::string& name)
{
    std::string safe = name;
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::strchr("\\:*?\"<>|", c) != nullptr)
            c = '_';
    }
    for (auto it = safe.rbegin(); it != safe.rend() && (*it == '.' || *it == ' '); ++it)
        *it = '_';
    return safe;
}

std::optional<std::string> FreeVariantName(const std::string& name,
                                           const std::function<bool(const std::string&)>& taken)
{
    if (!taken(name))
        return name;
    const std::string ext = ExtensionOf(name);
    const std::string stem = name.substr(0, name.size() - ext.size());
    for (int n = 1; n < 65536; ++n) {
        std::string variant = stem + "~" + std::to_string(n) + ext;
        if (!taken(variant))
            return variant;
    }
    return std::nullopt;
}

bool IsDeviceVideoName(const std::string& fileName)
{
    const std::string upper = UpperCaseAscii(fileName);
    if (upper.size() != 12 || upper.compare(8, 4, ".MP4") != 0)
        return false;
    if (upper.compare(0, 4, "M4V0") != 0 && upper.compare(0, 4, "MAQ0") != 0)
        return false;
    for (std::size_t i = 4; i < 8; ++i) {
        if (upper[i] < '0' || upper[i] > '9')
            return false;
    }
    return true;
}

} // namespace vidlark
