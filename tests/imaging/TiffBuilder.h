#pragma once
// TTiffBuilder, shared by the TIFF reader's test files.

#include <cstdint>
#include <map>
#include <vector>

namespace vidlark::test {

// A TIFF file built entry by entry: values that do not fit in 4 bytes, and
// the pixel data, follow the directory.
class TTiffBuilder {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit TTiffBuilder(bool BigEndian = false) : Big(BigEndian) {}

    // Type 3 (SHORT) or 4 (LONG) values; Data, when given, is stored after
    // the directory and the entry's single value becomes its offset.
    TTiffBuilder& Set(std::uint16_t Tag, std::uint16_t Type, std::vector<std::uint32_t> Values)
    {
        Fields[Tag] = {Type, std::move(Values), {}};
        return *this;
    }
    TTiffBuilder& Strips(std::vector<Bytes> Data, std::uint16_t CountTag = 279)
    {
        StripData = std::move(Data);
        Set(CountTag, 4, {});
        return *this;
    }
    // The blocks as tiles: TileOffsets and TileByteCounts.
    TTiffBuilder& Tiles(std::vector<Bytes> Data)
    {
        OffsetTag = 324;
        return Strips(std::move(Data), 325);
    }
    TTiffBuilder& Raw(std::uint16_t Tag, std::uint16_t Type, std::uint32_t Count, Bytes Value)
    {
        Fields[Tag] = {Type, {Count}, std::move(Value)};
        return *this;
    }

    Bytes Build() const
    {
        std::map<std::uint16_t, TField> All = Fields;
        const std::size_t DirectorySize = 2 + 12 * (All.size() + (StripData.empty() ? 0 : 1)) + 4;
        std::size_t Next = 8 + DirectorySize;
        Bytes Tail;
        std::vector<std::uint32_t> Offsets, Counts;
        for (const Bytes& Strip : StripData) {
            Offsets.push_back(static_cast<std::uint32_t>(Next + Tail.size()));
            Counts.push_back(static_cast<std::uint32_t>(Strip.size()));
            Tail.insert(Tail.end(), Strip.begin(), Strip.end());
        }
        if (!StripData.empty()) {
            All[OffsetTag] = {4, Offsets, {}};
            for (auto& [Tag, F] : All)
                if (F.Type == 4 && F.Values.empty() && Tag != OffsetTag)
                    F.Values = Counts;
        }
        Bytes File{Big ? std::uint8_t('M') : std::uint8_t('I'), Big ? std::uint8_t('M') : std::uint8_t('I')};
        Put16(File, 42);
        Put32(File, 8);
        Put16(File, static_cast<std::uint16_t>(All.size()));
        for (const auto& [Tag, F] : All) {
            Put16(File, Tag);
            Put16(File, F.Type);
            Bytes Value = F.Raw;
            const std::uint32_t Count = F.Raw.empty() ? static_cast<std::uint32_t>(F.Values.size()) : F.Values[0];
            if (F.Raw.empty())
                for (std::uint32_t V : F.Values)
                    F.Type == 3 ? Put16(Value, static_cast<std::uint16_t>(V)) : Put32(Value, V);
            Put32(File, Count);
            if (Value.size() <= 4) {
                Value.resize(4, 0);
                File.insert(File.end(), Value.begin(), Value.end());
            } else {
                Put32(File, static_cast<std::uint32_t>(Next + Tail.size()));
                Tail.insert(Tail.end(), Value.begin(), Value.end());
            }
        }
        Put32(File, 0);
        File.insert(File.end(), Tail.begin(), Tail.end());
        return File;
    }

private:
    struct TField {
        std::uint16_t Type;
        std::vector<std::uint32_t> Values;
        Bytes Raw;
    };
    void Put16(Bytes& B, std::uint16_t V) const
    {
        Big ? B.insert(B.end(), {std::uint8_t(V >> 8), std::uint8_t(V)}) : B.insert(B.end(), {std::uint8_t(V), std::uint8_t(V >> 8)});
    }
    void Put32(Bytes& B, std::uint32_t V) const
    {
        Put16(B, static_cast<std::uint16_t>(Big ? V >> 16 : V));
        Put16(B, static_cast<std::uint16_t>(Big ? V : V >> 16));
    }

    bool Big;
    std::map<std::uint16_t, TField> Fields;
    std::vector<Bytes> StripData;
    std::uint16_t OffsetTag = 273;
};

} // namespace vidlark::test
