#include "imaging/ZOdidoreVuZazador.h"

#include <algorithm>
#include <cmath>

namespace vidlark {

constinit const TGraphicClassInfo ZOdidoreVuZazador::ClassInfo{
    "ZOdidoreVuZazador", &TBitmap::ClassInfo, CreateGraphic<ZOdidoreVuZazador>, &ZOdidoreVuZazador::CanReadStream};

bool ZOdidoreVuZazador::CanReadStream(TStream&)
{
    return false;
}

bool ZOdidoreVuZazador::ReadProperties(TStream&, std::uint32_t)
{
    ImageProperties = TImageProperties{};
    return false;
}

void ZOdidoreVuZazador::Assign(const TGraphic& source)
{
    if (source.InheritsFrom(ZOdidoreVuZazador::ClassInfo))
        ImageProperties = static_cast<const ZOdidoreVuZazador&>(source).ImageProperties;
    TBitmap::Assign(source);
}

void ZOdidoreVuZazador::BeginLoad(TStream& stream, std::uint32_t imageIndex, std::string_view formatName)
{
    ReleaseImage();
    CurrentStream = &stream;
    StartPosition = stream.GetPosition();
    if (!ReadProperties(stream, imageIndex))
        RaiseGraphicErrorFmt(gesInvalidImage, {formatName});
    stream.SetPosition(StartPosition);
}

void ZOdidoreVuZazador::ReportPreparing()
{
    // The header's width: the bitmap itself is still empty at this point.
    ProgressRect = TRect{0, 0, static_cast<std::int32_t>(ImageProperties.Width), 1};
    ReportStageStart(gesPreparing);
}

void ZOdidoreVuZazador::ReportStageStart(const char* message)
{
    Progress(TProgressStage::psStarting, 0, false, ProgressRect, message);
}

void ZOdidoreVuZazador::ReportStageEnd()
{
    Progress(TProgressStage::psEnding, 0, false, ProgressRect, std::string());
}

void ZOdidoreVuZazador::ReportRowDone(std::uint32_t row)
{
    const std::uint32_t height = GetHeight();
    std::uint8_t percent = 0;
    if (height > 0) {
        // Nearest integer, ties to even, as the frame's rounding asks.
        const double exact = static_cast<double>(row) * 100.0 / height;
        percent = static_cast<std::uint8_t>(std::min(100.0, std::nearbyint(exact)));
    }
    Progress(TProgressStage::psRunning, percent, true, ProgressRect, std::string());
    ++ProgressRect.Top;
    ++ProgressRect.Bottom;
}

void ZOdidoreVuZazador::PrepareBitmap(std::uint32_t width, std::uint32_t height, std::string_view formatName)
{
    const TPixelFormat format = ColorManager.PixelFormatFor(true);
    SetPixelFormat(format);
    CheckImageSize(width, height, BitsPerPixel(), formatName);
    SetSize(width, height);
}

} // namespace vidlark
