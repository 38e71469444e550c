#include "media/PspMetadata.h"

#include "media/Mp4File.h"
#include "media/Utf16.h"

#include <array>
#include <optional>

namespace vidlark {
namespace {

using TBoxType = std::array<std::uint8_t, 4>;

constexpr TBoxType BoxType(const char (&name)[5])
{
    return {static_cast<std::uint8_t>(name[0]), static_cast<std::uint8_t>(name[1]),
            static_cast<std::uint8_t>(name[2]), static_cast<std::uint8_t>(name[3])};
}

// The language code of the title entry: "jpn" packed into three 5-bit letters.
constexpr std::uint16_t JapaneseLanguage = 0x2A0E;
constexpr std::size_t TitleBufferUnits = 128;
constexpr std::size_t TitleMaxUnits = 125;

struct TBoxHeader {
    std::int64_t Start = 0;
    std::int32_t Size = 0;     // as stored: 2^31 and more read negative
    std::int64_t Last() const { return Start + Size - 1; }
};

// Walks sibling boxes from the file position for the first one of the given
// type and leaves the position behind its header. parentLast is the offset of
// the enclosing box's last byte, or empty at the top level. The first header
// is read whatever the bound says; a size below 8 (to the end of the file,
// 64-bit, or 2^31 and more) ends the walk, but only after the type test.
std::optional<TBoxHeader> FindBox(TMp4File& file, const TBoxType& type,
                                  std::optional<std::int64_t> parentLast)
{
    for (;;) {
        const std::int64_t start = file.Position();
        const auto size = file.ReadU32();
        const auto found = file.ReadFourBytes();
        if (!size || !found)
            return std::nullopt;
        const auto boxSize = static_cast<std::int32_t>(*size);
        if (*found == type)
            return TBoxHeader{start, boxSize};
        if (boxSize < 8)
            return std::nullopt;
        file.Seek(start + boxSize);
        const std::int64_t next = file.Position();
        // Top level: next < file length - 8; inside: next < parentLast - 8
        // and next < file length.
        const bool inBound = parentLast ? next < *parentLast - 8 && file.Holds(next, 1)
                                        : file.Holds(next, 9);
        if (!inBound)
            return std::nullopt;
    }
}

// The text of the title entry, from entry start + 8.
std::string ReadTitleText(TMp4File& file, std::int64_t entryLast)
{
    file.Skip(2);
    std::array<char16_t, TitleBufferUnits> units{};
    std::size_t stored = 0;
    for (;;) {
        const auto unit = file.ReadU16();
        if (!unit)
            break;
        units[stored++] = static_cast<char16_t>(*unit);
        if (*unit == 0 || stored == TitleMaxUnits || file.Position() >= entryLast ||
            !file.Holds(file.Position(), 1))
            break;
    }
    units[stored] = 0;
    return Utf16ToUtf8(std::u16string_view(units.data()));
}

// The entries of the MTDT box, from its first entry.
std::string ReadMtdtTitle(TMp4File& file, std::int64_t mtdtLast)
{
    for (;;) {
        const std::int64_t entryStart = file.Position();
        const auto entrySize = file.ReadU16();
        file.Skip(4);
        const auto language = file.ReadU16();
        if (!entrySize || !language)
            return {};
        if (*language == JapaneseLanguage)
            return ReadTitleText(file, entryStart + *entrySize - 1);
        if (*entrySize < 8)
            return {};
        file.Seek(entryStart + *entrySize);
        if (!(file.Position() < mtdtLast - 2 && file.Holds(file.Position(), 1)))
            return {};
    }
}

std::string CodecText(const std::array<std::uint8_t, 4>& code)
{
    std::string text;
    for (const std::uint8_t byte : code) {
        if (byte == 0)
            break;
        text += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
    }
    return text;
}

// 16.16 fixed point, worked in single precision as the field is kept.
float FrameRateValue(const std::array<std::uint8_t, 4>& bytes)
{
    float value = 0;
    for (const std::uint8_t byte : bytes)
        value = value * 256.0f + static_cast<float>(byte);
    return value / 65536.0f;
}

} // namespace

std::string ReadPspTitle(const std::filesystem::path& fileName, const std::string& shownName)
{
    TMp4File file(fileName, shownName);
    return ReadPspTitle(file);
}

std::string ReadPspTitle(TMp4File& file)
{
    file.Seek(0);
    const auto moov = FindBox(file, BoxType("moov"), std::nullopt);
    if (!moov)
        return {};
    if (!FindBox(file, BoxType("uuid"), moov->Last()))
        return {};
    file.Skip(16);
    const std::int64_t mtdtStart = file.Position();
    const auto mtdtSize = file.ReadU32();
    const auto mtdtType = file.ReadFourBytes();
    if (!mtdtSize || !mtdtType || *mtdtType != BoxType("MTDT"))
        return {};
    const TBoxHeader mtdt{mtdtStart, static_cast<std::int32_t>(*mtdtSize)};
    file.Skip(2);
    return ReadMtdtTitle(file, mtdt.Last());
}

void ReadVideoProfile(const std::filesystem::path& fileName, const std::string& shownName,
                      TVideoProfile& profile)
{
    profile = TVideoProfile();
    TMp4File file(fileName, shownName);
    ReadVideoProfile(file, profile);
}

void ReadVideoProfile(TMp4File& file, TVideoProfile& profile)
{
    profile = TVideoProfile();
    file.Seek(0);
    const auto uuid = FindBox(file, BoxType("uuid"), std::nullopt);
    if (!uuid)
        return;
    file.Skip(24);
    if (!FindBox(file, BoxType("VPRF"), uuid->Last()))
        return;
    // A field that lies past the end of the file keeps its empty value.
    file.Skip(8);
    if (const auto codec = file.ReadFourBytes())
        profile.Codec = CodecText(*codec);
    file.Skip(8);
    if (const auto bitRate = file.ReadU32())
        profile.BitRate = static_cast<std::int32_t>(*bitRate);
    file.Skip(4);
    if (const auto frameRate = file.ReadFourBytes())
        profile.FrameRate = FrameRateValue(*frameRate);
    file.Skip(4);
    if (const auto width = file.ReadU16())
        profile.FrameWidth = *width;
    if (const auto height = file.ReadU16())
        profile.FrameHeight = *height;
}

} // namespace vidlark
