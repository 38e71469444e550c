#include "imaging/PortableMapHeader.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace vidlark {

namespace {

constexpr std::size_t MaxWord = 20; // longer than every keyword and tuple type

bool IsWhitespace(int C) { return C == ' ' || (C >= '\t' && C <= '\r'); }
bool IsDigit(int C) { return C >= '0' && C <= '9'; }

struct TTupleType {
    std::string_view Name;
    std::uint32_t Depth;
};

constexpr TTupleType TupleTypes[] = {
    {"BLACKANDWHITE", 1}, {"GRAYSCALE", 1}, {"RGB", 3},
    {"BLACKANDWHITE_ALPHA", 2}, {"GRAYSCALE_ALPHA", 2}, {"RGB_ALPHA", 4},
};

std::uint32_t TupleDepthOf(std::string_view Name)
{
    for (const TTupleType& T : TupleTypes)
        if (T.Name == Name)
            return T.Depth;
    return 0;
}

bool ReadPnmFields(TMapTextReader& Text, TPortableMapHeader& Map)
{
    Map.Depth = Map.TupleDepth = Map.Type == '3' || Map.Type == '6' ? 3 : 1;
    if (!Text.ScanNumber(Map.Width) || !Text.ScanNumber(Map.Height))
        return false;
    if (Map.Bitmap()) {
        Map.MaxVal = 1;
        return true;
    }
    return Text.ScanNumber(Map.MaxVal);
}

bool ReadPamFields(TMapTextReader& Text, TPortableMapHeader& Map)
{
    for (;;) {
        std::string Keyword;
        int End = Text.ReadWord(Keyword);
        if (Keyword == "ENDHDR") {
            // The pixels begin on the next line.
            while (End != '\n' && End != TMapTextReader::EndOfData)
                End = Text.TakeChar();
            return true;
        }
        std::uint32_t* Number = Keyword == "WIDTH"    ? &Map.Width
                                : Keyword == "HEIGHT" ? &Map.Height
                                : Keyword == "DEPTH"  ? &Map.Depth
                                : Keyword == "MAXVAL" ? &Map.MaxVal
                                                      : nullptr;
        if (Number) {
            if (!Text.ScanNumber(*Number))
                return false;
        } else if (Keyword == "TUPLTYPE") {
            std::string Name;
            Text.ReadWord(Name);
            Map.TupleDepth = TupleDepthOf(Name);
        } else {
            return false;
        }
    }
}

bool HeaderLoadable(const TPortableMapHeader& Map)
{
    return Map.Width > 0 && Map.Height > 0 && Map.MaxVal >= 1 && Map.MaxVal <= 65535 && Map.TupleDepth > 0 &&
           Map.Depth == Map.TupleDepth;
}

} // namespace

int TMapTextReader::TakeByte()
{
    if (InPos == InEnd) {
        InPos = 0;
        InEnd = Stream.Read(InBuf.data(), InBuf.size());
        if (InEnd == 0)
            return EndOfData;
    }
    return InBuf[InPos++];
}

int TMapTextReader::TakeChar()
{
    int C = TakeByte();
    if (C == '#')
        while (C != '\n' && C != '\r' && C != EndOfData)
            C = TakeByte();
    return C;
}

int TMapTextReader::SkipWhitespace()
{
    int C = TakeChar();
    while (IsWhitespace(C))
        C = TakeChar();
    return C;
}

bool TMapTextReader::ScanNumber(std::uint32_t& Value)
{
    int C = SkipWhitespace();
    if (!IsDigit(C))
        return false;
    std::uint64_t Number = 0;
    for (; IsDigit(C); C = TakeChar())
        Number = std::min<std::uint64_t>(Number * 10 + (C - '0'), std::numeric_limits<std::uint32_t>::max());
    Value = static_cast<std::uint32_t>(Number);
    return true;
}

int TMapTextReader::ReadWord(std::string& Word)
{
    int C = SkipWhitespace();
    for (; C != EndOfData && !IsWhitespace(C); C = TakeChar())
        if (Word.size() < MaxWord)
            Word += static_cast<char>(C);
    return C;
}

void TMapTextReader::ReturnUnread()
{
    Stream.Seek(-static_cast<std::int64_t>(InEnd - InPos), TSeekOrigin::soCurrent);
    InPos = InEnd = 0;
}

std::uint64_t TPortableMapHeader::RowBytes() const
{
    if (Bitmap())
        return (std::uint64_t{Width} + 7) / 8;
    return std::uint64_t{Width} * Depth * SampleBytes();
}

std::optional<TPortableMapHeader> ReadMapHeader(TMapTextReader& Text)
{
    TPortableMapHeader Map;
    const int Type = Text.TakeByte() == 'P' ? Text.TakeByte() : 0;
    if (Type < '1' || Type > '7')
        return std::nullopt;
    Map.Type = static_cast<char>(Type);
    const bool Read = Map.Type == '7' ? ReadPamFields(Text, Map) : ReadPnmFields(Text, Map);
    if (!Read || !HeaderLoadable(Map))
        return std::nullopt;
    return Map;
}

} // namespace vidlark
