#include "platform/ProfileFile.h"

#include <cerrno>
#include <charconv>
#include <iconv.h>
#include <limits>
#include <optional>
#include <stdexcept>

namespace vidlark {

namespace {

constexpr std::string_view Blanks = " \t\r";

std::string_view Trim(std::string_view s)
{
    const auto first = s.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(Blanks);
    return s.substr(first, last - first + 1);
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// The section name of a "[Name]" line.
std::optional<std::string_view> SectionOf(std::string_view line)
{
    const auto text = Trim(line);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    const auto close = text.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

struct TKeyLine {
    std::string_view Key;
    std::string_view Value;
};

std::optional<TKeyLine> KeyOf(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return TKeyLine{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// The length of the valid UTF-8 sequence at s[i], or 0.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    std::uint32_t min;
    std::uint32_t code;
    if ((lead & 0xE0) == 0xC0) { length = 2; min = 0x80; code = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { length = 3; min = 0x800; code = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { length = 4; min = 0x10000; code = lead & 0x07; }
    else return 0;
    if (s.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool IsValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto length = Utf8SequenceAt(s, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// The longest prefix of at most limit bytes that does not split a character.
std::string_view CutAtCharacter(std::string_view s, std::size_t limit)
{
    if (s.size() <= limit)
        return s;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
        --end;
    return s.substr(0, end);
}

class TIconv {
public:
    TIconv(const char* to, const char* from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("no CP932 converter");
    }
    ~TIconv() { iconv_close(handle_); }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    iconv_t Get() const { return handle_; }

private:
    iconv_t handle_;
};

std::string Cp932ToUtf8(std::string_view bytes)
{
    static constexpr std::string_view Replacement = "\xEF\xBF\xBD";
    TIconv converter("UTF-8", "CP932");
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(converter.Get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: one byte becomes U+FFFD.
            out.append(Replacement);
            ++in;
            --inLeft;
            iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

} // namespace

std::string ProfileTextToUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Cp932ToUtf8(bytes);
}

TProfileFile TProfileFile::FromBytes(std::string_view bytes)
{
    static constexpr std::string_view Bom = "\xEF\xBB\xBF";
    if (bytes.substr(0, Bom.size()) == Bom)
        bytes.remove_prefix(Bom.size());
    const std::string text = ProfileTextToUtf8(bytes);
    TProfileFile file;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto newline = rest.find('\n');
        std::string_view line = rest.substr(0, newline);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        file.lines_.emplace_back(line);
        if (newline == std::string_view::npos)
            break;
        rest.remove_prefix(newline + 1);
    }
    return file;
}

std::string TProfileFile::ToBytes() const
{
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     const std::string& def) const
{
    bool inSection = false;
    for (const auto& line : lines_) {
        if (const auto name = SectionOf(line)) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = KeyOf(line); entry && SameName(entry->Key, key))
            return std::string(CutAtCharacter(entry->Value, MaxValueLength));
    }
    return def;
}

std::int32_t TProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t def) const
{
    const std::string text = ReadString(section, key, {});
    if (text.empty())
        return def;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t value = 0;
        const auto [end, ec] = std::from_chars(first + 2, last, value, 16);
        if (ec != std::errc() || end != last)
            return def;
        return static_cast<std::int32_t>(value); // 0xFFFFFFFF reads as -1
    }
    // One sign at most: from_chars takes a "-" itself, so "+-1" must stop here.
    if (*first == '+' && ++first != last && *first == '-')
        return def;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || end != last || first == last)
        return def;
    return value;
}

void TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    std::string line = std::string(key) + "=" + std::string(value);
    std::optional<std::size_t> sectionStart;
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = SectionOf(lines_[i])) {
            if (sectionStart)
                break;
            if (SameName(*name, section)) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionStart)
            continue;
        if (const auto entry = KeyOf(lines_[i]); entry && SameName(entry->Key, key)) {
            lines_[i] = std::move(line);
            return;
        }
        if (!Trim(lines_[i]).empty())
            insertAt = i + 1; // after the section's last line that is not blank
    }
    if (sectionStart) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
        return;
    }
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
}

void TProfileFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

} // namespace vidlark
