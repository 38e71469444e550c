#include "imaging/AutodeskGraphic.h"

#include "imaging/AutodeskHeader.h"
#include "imaging/ByteReader.h"
#include "imaging/GraphicStrings.h"
#include "imaging/ReaderChecks.h"

#include <array>

namespace vidlark {

constinit const TGraphicClassInfo TAutodeskGraphic::ClassInfo{
    "TAutodeskGraphic", &ZOdidoreVuZazador::ClassInfo, CreateGraphic<TAutodeskGraphic>,
    &TAutodeskGraphic::CanReadStream};

namespace {

// The header at the stream's position; the position is kept.
TAutodeskHeader PeekHeader(TStream& Stream)
{
    return TByteReader(Stream, sizeof(TAutodeskHeader), TAutodeskGraphic::FormatName).Struct<TAutodeskHeader>();
}

// Levels run from 0 to 63; two bits to the left put 63 at 252.
TPalette PaletteFrom(const std::array<std::uint8_t, autodesk::PaletteBytes>& Levels)
{
    TPalette Palette(MaxPaletteEntries);
    for (std::size_t i = 0; i < Palette.size(); ++i)
        Palette[i] = TPaletteEntry{static_cast<std::uint8_t>(Levels[3 * i] << 2),
                                   static_cast<std::uint8_t>(Levels[3 * i + 1] << 2),
                                   static_cast<std::uint8_t>(Levels[3 * i + 2] << 2), 0};
    return Palette;
}

} // namespace

bool TAutodeskGraphic::CanReadStream(TStream& Stream)
{
    if (Stream.Remaining() <= static_cast<std::int64_t>(sizeof(TAutodeskHeader)))
        return false;
    const TAutodeskHeader Header = PeekHeader(Stream);
    return autodesk::HeaderLoadable(Header) && Header.BitsPerPixel == 8 && Header.Compression == 0;
}

bool TAutodeskGraphic::ReadProperties(TStream& Stream, std::uint32_t ImageIndex)
{
    ZOdidoreVuZazador::ReadProperties(Stream, ImageIndex);
    if (Stream.Remaining() < static_cast<std::int64_t>(sizeof(TAutodeskHeader)))
        return false;
    const TAutodeskHeader Header = PeekHeader(Stream);
    if (!autodesk::HeaderLoadable(Header))
        return false;
    TImageProperties& P = ImageProperties;
    P.Layout = schIndexed;
    P.Width = Header.Width;
    P.Height = Header.Height;
    P.BitsPerSample = 8;
    P.SamplesPerPixel = 1;
    P.BitsPerPixel = 8;
    P.Compression = cmpNone;
    return true;
}

void TAutodeskGraphic::LoadFromStream(TStream& Stream)
{
    BeginLoad(Stream, 0, FormatName);
    const std::uint32_t Width = ImageProperties.Width;
    const std::uint32_t Height = ImageProperties.Height;
    // This format has no preparing stage: the band is set before the first report.
    ProgressRect = TRect{0, 0, static_cast<std::int32_t>(Width), 1};
    ReportStageStart(gesTransfering);

    Stream.Seek(sizeof(TAutodeskHeader), TSeekOrigin::soCurrent);
    CheckPictureSize(Stream, Width, Height, 8, autodesk::PaletteBytes + std::uint64_t{Width} * Height, FormatName);
    std::array<std::uint8_t, autodesk::PaletteBytes> Levels{};
    Stream.ReadBuffer(Levels.data(), Levels.size());

    SetPixelFormat(pf8bit);
    SetPalette(PaletteFrom(Levels));
    SetSize(Width, Height);
    for (std::uint32_t y = 0; y < Height; ++y) {
        Stream.ReadBuffer(ScanLine(y), Width);
        ReportRowDone(y);
    }
    ReportStageEnd();
}

} // namespace vidlark
