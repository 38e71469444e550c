#include "imaging/EPSGraphic.h"

#include "imaging/ByteReader.h"

namespace vidlark {

constinit const TGraphicClassInfo TEPSGraphic::ClassInfo{
    "TEPSGraphic", &TTIFFGraphic::ClassInfo, CreateGraphic<TEPSGraphic>, &TEPSGraphic::CanReadStream};

namespace {

constexpr std::uint32_t Signature = 0xC6D3D0C5;

// The one check of a header: the preview starts after the header, inside
// the Remaining bytes from the header's start, and is not empty.
bool HeaderLoadable(const TEPSHeader& Header, std::int64_t Remaining)
{
    return Header.Signature == Signature && Header.TIFFOffset >= sizeof(TEPSHeader) &&
           Header.TIFFOffset < static_cast<std::uint64_t>(Remaining) && Header.TIFFLength > 0;
}

} // namespace

bool TEPSGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(sizeof(TEPSHeader)))
        return false;
    const TEPSHeader Header = TByteReader(Stream, sizeof(TEPSHeader), FormatName).Struct<TEPSHeader>();
    return HeaderLoadable(Header, Stream.Remaining());
}

void TEPSGraphic::LoadFromStream(TStream& Stream)
{
    const std::int64_t Remaining = Stream.Remaining();
    const TEPSHeader Header = TByteReader(Stream, sizeof(TEPSHeader), FormatName).Struct<TEPSHeader>();
    if (!HeaderLoadable(Header, Remaining))
        RaiseGraphicErrorFmt(gesInvalidImage, {FormatName});
    // The preview's offsets count from its own start.
    Stream.Seek(Header.TIFFOffset, TSeekOrigin::soCurrent);
    TTIFFGraphic::LoadFromStream(Stream);
}

} // namespace vidlark
