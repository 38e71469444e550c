#include "imaging/TIFFDirectory.h"

#include "imaging/ByteReader.h"
#include "imaging/Endian.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace vidlark {

namespace tiff {

namespace {

enum TFieldType : std::uint16_t {
    ftByte = 1, ftAscii, ftShort, ftLong, ftRational, ftSByte, ftUndefined, ftSShort, ftSLong, ftSRational, ftFloat,
    ftDouble
};

constexpr std::uint32_t TypeSize(std::uint16_t Type)
{
    switch (Type) {
    case ftByte: case ftAscii: case ftSByte: case ftUndefined: return 1;
    case ftShort: case ftSShort: return 2;
    case ftLong: case ftSLong: case ftFloat: return 4;
    case ftRational: case ftSRational: case ftDouble: return 8;
    default: return 0;
    }
}

constexpr bool IntegerType(std::uint16_t Type)
{
    return Type == ftByte || Type == ftShort || Type == ftLong || Type == ftSByte || Type == ftSShort ||
           Type == ftSLong;
}

// A long chain of directories is no picture any program wrote.
constexpr std::uint32_t MaxDirectories = 4096;

} // namespace

std::optional<THeader> ReadHeader(TStream& Stream)
{
    TByteReader Bytes(Stream, 8, "TIF/TIFF");
    if (Bytes.Size() < 8)
        return std::nullopt;
    const std::uint8_t First = Bytes.U8(), Second = Bytes.U8();
    if (First != Second || (First != 'I' && First != 'M'))
        return std::nullopt;
    THeader Header;
    Header.BigEndian = First == 'M';
    const std::uint16_t Version = Header.BigEndian ? Bytes.U16BE() : Bytes.U16();
    Header.FirstDirectory = Header.BigEndian ? Bytes.U32BE() : Bytes.U32();
    if (Version != 42)
        return std::nullopt;
    return Header;
}

} // namespace tiff

using namespace tiff;

namespace {

std::uint32_t Load32(const std::uint8_t* Bytes, bool BigEndian)
{
    return BigEndian ? LoadEndian<std::uint32_t, true>(Bytes) : LoadEndian<std::uint32_t, false>(Bytes);
}

std::uint16_t Load16(const std::uint8_t* Bytes, bool BigEndian)
{
    return BigEndian ? LoadEndian<std::uint16_t, true>(Bytes) : LoadEndian<std::uint16_t, false>(Bytes);
}

} // namespace

std::optional<TTIFFDirectory> TTIFFDirectory::Read(TStream& Stream, std::int64_t Start, const THeader& Header,
                                                   std::uint32_t ImageIndex)
{
    TTIFFDirectory Directory(Stream, Start, Header.BigEndian);
    const std::uint64_t Size = static_cast<std::uint64_t>(std::max<std::int64_t>(Stream.GetSize() - Start, 0));
    std::set<std::uint32_t> Seen;
    std::uint32_t Offset = Header.FirstDirectory;
    for (std::uint32_t Index = 0;; ++Index) {
        if (Offset == 0 || Offset + std::uint64_t{2} > Size || !Seen.insert(Offset).second ||
            Seen.size() > MaxDirectories)
            return std::nullopt;
        Stream.SetPosition(Start + Offset);
        TByteReader CountBytes(Stream, 2, "TIF/TIFF");
        const std::uint16_t Count = Load16(CountBytes.Bytes(2).data(), Header.BigEndian);
        const std::uint64_t EntryBytes = std::uint64_t{Count} * 12;
        if (Offset + 2 + EntryBytes + 4 > Size)
            return std::nullopt;
        Stream.SetPosition(Start + Offset + 2);
        TByteReader Bytes(Stream, static_cast<std::size_t>(EntryBytes + 4), "TIF/TIFF");
        if (Index < ImageIndex) {
            Bytes.Skip(static_cast<std::size_t>(EntryBytes));
            Offset = Load32(Bytes.Bytes(4).data(), Header.BigEndian);
            continue;
        }
        for (std::uint16_t i = 0; i < Count; ++i) {
            const std::uint8_t* Raw = Bytes.Bytes(12).data();
            TEntry Entry;
            Entry.Tag = Load16(Raw, Header.BigEndian);
            Entry.Type = Load16(Raw + 2, Header.BigEndian);
            Entry.Count = Load32(Raw + 4, Header.BigEndian);
            std::copy_n(Raw + 8, 4, Entry.Value.begin());
            Directory.Entries.push_back(Entry);
        }
        std::stable_sort(Directory.Entries.begin(), Directory.Entries.end(),
                         [](const TEntry& A, const TEntry& B) { return A.Tag < B.Tag; });
        return Directory;
    }
}

const TEntry* TTIFFDirectory::Find(std::uint16_t Tag) const
{
    const auto Found = std::lower_bound(Entries.begin(), Entries.end(), Tag,
                                        [](const TEntry& E, std::uint16_t T) { return E.Tag < T; });
    return Found != Entries.end() && Found->Tag == Tag ? &*Found : nullptr;
}

std::uint32_t TTIFFDirectory::Count(std::uint16_t Tag) const
{
    const TEntry* Entry = Find(Tag);
    return Entry ? Entry->Count : 0;
}

std::optional<std::vector<std::uint8_t>> TTIFFDirectory::ValueBytes(const TEntry& Entry, std::uint64_t MaxBytes) const
{
    const std::uint64_t Bytes = std::uint64_t{Entry.Count} * TypeSize(Entry.Type);
    if (Bytes == 0 || Bytes > MaxBytes)
        return std::nullopt;
    if (Bytes <= 4)
        return std::vector<std::uint8_t>(Entry.Value.begin(), Entry.Value.begin() + Bytes);
    const std::uint64_t Offset = Load32(Entry.Value.data(), BigEndian);
    const std::uint64_t Size = static_cast<std::uint64_t>(std::max<std::int64_t>(Stream->GetSize() - Start, 0));
    if (Offset + Bytes > Size)
        return std::nullopt;
    Stream->SetPosition(Start + static_cast<std::int64_t>(Offset));
    std::vector<std::uint8_t> Values(static_cast<std::size_t>(Bytes));
    Stream->ReadBuffer(Values.data(), Values.size());
    return Values;
}

double TTIFFDirectory::Element(const TEntry& Entry, const std::uint8_t* Bytes) const
{
    switch (Entry.Type) {
    case ftByte: case ftUndefined: return Bytes[0];
    case ftSByte: return static_cast<std::int8_t>(Bytes[0]);
    case ftShort: return Load16(Bytes, BigEndian);
    case ftSShort: return static_cast<std::int16_t>(Load16(Bytes, BigEndian));
    case ftLong: return Load32(Bytes, BigEndian);
    case ftSLong: return static_cast<std::int32_t>(Load32(Bytes, BigEndian));
    case ftFloat: {
        const std::uint32_t Word = Load32(Bytes, BigEndian);
        float Value;
        std::memcpy(&Value, &Word, sizeof Value);
        return Value;
    }
    case ftRational:
    case ftSRational: {
        const std::uint32_t Numerator = Load32(Bytes, BigEndian), Denominator = Load32(Bytes + 4, BigEndian);
        if (Denominator == 0)
            return 0;
        if (Entry.Type == ftSRational)
            return double(static_cast<std::int32_t>(Numerator)) / static_cast<std::int32_t>(Denominator);
        return double(Numerator) / Denominator;
    }
    default: return 0;
    }
}

std::uint32_t TTIFFDirectory::Integer(std::uint16_t Tag, std::uint32_t Default) const
{
    const TEntry* Entry = Find(Tag);
    if (!Entry || !IntegerType(Entry->Type) || Entry->Count == 0)
        return Default;
    const std::vector<std::uint32_t> First = Integers(Tag, Entry->Count);
    return First.empty() ? Default : First[0];
}

float TTIFFDirectory::Float(std::uint16_t Tag, float Default) const
{
    const std::vector<float> Values = Floats(Tag, 1 << 16);
    return Values.empty() ? Default : Values[0];
}

std::vector<std::uint32_t> TTIFFDirectory::Integers(std::uint16_t Tag, std::uint64_t MaxCount) const
{
    const TEntry* Entry = Find(Tag);
    if (!Entry || !IntegerType(Entry->Type) || Entry->Count > MaxCount)
        return {};
    const auto Bytes = ValueBytes(*Entry, MaxCount * TypeSize(Entry->Type));
    if (!Bytes)
        return {};
    std::vector<std::uint32_t> Values(Entry->Count);
    for (std::uint32_t i = 0; i < Entry->Count; ++i)
        Values[i] = static_cast<std::uint32_t>(
            static_cast<std::int64_t>(Element(*Entry, Bytes->data() + std::size_t{i} * TypeSize(Entry->Type))));
    return Values;
}

std::vector<float> TTIFFDirectory::Floats(std::uint16_t Tag, std::uint64_t MaxCount) const
{
    const TEntry* Entry = Find(Tag);
    if (!Entry || TypeSize(Entry->Type) == 0 || Entry->Type == ftAscii || Entry->Count > MaxCount)
        return {};
    const auto Bytes = ValueBytes(*Entry, MaxCount * TypeSize(Entry->Type));
    if (!Bytes)
        return {};
    std::vector<float> Values(Entry->Count);
    for (std::uint32_t i = 0; i < Entry->Count; ++i)
        Values[i] = static_cast<float>(Element(*Entry, Bytes->data() + std::size_t{i} * TypeSize(Entry->Type)));
    return Values;
}

std::vector<std::uint8_t> TTIFFDirectory::RawBytes(std::uint16_t Tag, std::uint64_t MaxBytes) const
{
    const TEntry* Entry = Find(Tag);
    if (!Entry)
        return {};
    return ValueBytes(*Entry, MaxBytes).value_or(std::vector<std::uint8_t>{});
}

} // namespace vidlark
