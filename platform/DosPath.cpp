#include "platform/DosPath.h"

#include <QString>

#include <algorithm>
#include <system_error>
#include <type_traits>

namespace vidlark {

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// Name and mask as QString (case-folded) or as case-folded ASCII bytes.
template <typename Text>
bool MatchFrom(const Text& name, std::size_t n, const Text& mask, std::size_t m)
{
    using Char = std::remove_cvref_t<decltype(mask[0])>;
    const Char star(u'*'), question(u'?');
    const auto nameSize = static_cast<std::size_t>(name.size());
    const auto maskSize = static_cast<std::size_t>(mask.size());
    while (m < maskSize) {
        const Char c = mask[m];
        if (c == star) {
            // Collapse runs of "*" and try every split point.
            while (m < maskSize && mask[m] == star)
                ++m;
            if (m == maskSize)
                return true;
            for (std::size_t k = n; k <= nameSize; ++k)
                if (MatchFrom(name, k, mask, m))
                    return true;
            return false;
        }
        if (n == nameSize)
            return false;
        if (c != question && c != name[n])
            return false;
        ++n;
        ++m;
    }
    return n == nameSize;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace

std::optional<TDosPath> SplitDosPath(std::string_view path)
{
    if (path.size() < 2 || path[1] != ':')
        return std::nullopt;
    const char c = path[0];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        return std::nullopt;
    TDosPath result;
    result.Letter = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
    // Both slashes separate, and ".." never climbs above the drive's root,
    // as on a system with drive letters: the path stays on its volume.
    std::string_view rest = path.substr(2);
    while (!rest.empty()) {
        const auto slash = rest.find_first_of("\\/");
        const auto part = rest.substr(0, slash);
        if (part == "..") {
            if (!result.Components.empty())
                result.Components.pop_back();
        } else if (!part.empty() && part != ".") {
            result.Components.emplace_back(part);
        }
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return result;
}

std::filesystem::path ResolveComponents(const std::filesystem::path& root,
                                        const std::vector<std::string>& components)
{
    namespace fs = std::filesystem;
    fs::path current = root;
    bool missing = false;
    for (const auto& component : components) {
        fs::path exact = current / component;
        std::error_code ec;
        if (missing || fs::symlink_status(exact, ec).type() != fs::file_type::not_found || component == "..") {
            current = std::move(exact);
            continue;
        }
        std::optional<fs::path> match;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            if (SameNameIgnoringCase(it->path().filename().string(), component)) {
                match = it->path();
                break;
            }
        }
        if (match) {
            current = std::move(*match);
        } else {
            missing = true;
            current = std::move(exact);
        }
    }
    return current;
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*")
        return true;
    // Folding ASCII is lowering it; a folder of thousands of names is
    // matched without a conversion each.
    if (IsAscii(name) && IsAscii(mask))
        return MatchFrom(LowerAscii(name), 0, LowerAscii(mask), 0);
    const QString n = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toCaseFolded();
    const QString m = QString::fromUtf8(mask.data(), static_cast<qsizetype>(mask.size())).toCaseFolded();
    return MatchFrom(n, 0, m, 0);
}

} // namespace vidlark
