#include "imaging/decoders/TIFFJPEGDecoder.h"

#include "imaging/GraphicErrors.h"
#include "imaging/JPEGImage.h"

namespace vidlark {

namespace {

[[noreturn]] void RaiseCompression(const char* Message) { throw EGraphicCompression(Message); }

// A failure inside libjpeg ends the load with the library's own words.
void Check(int Result, const VjDecoder* Decoder)
{
    if (Result != 0)
        RaiseCompression(vj_message(Decoder));
}

int StoredSpace(TColorLayout Layout)
{
    switch (Layout) {
    case schYCbCr: return vjSpaceYCbCr;
    case schGray: return vjSpaceGray;
    default: return vjSpaceRGB;
    }
}

} // namespace

TTIFFJPEGDecoder::TTIFFJPEGDecoder(const TImageProperties& Properties, TWarningHandler OnWarning)
    : Properties(Properties), OnWarning(std::move(OnWarning))
{
}

std::size_t TTIFFJPEGDecoder::RowBytes() const
{
    return std::size_t{Properties.Width} * (Properties.SamplesPerPixel == 1 ? 1 : 3);
}

void TTIFFJPEGDecoder::StartUnpack()
{
    Decoder.reset(vj_create(TJPEGImage::DefaultMaxMemory, TJPEGImage::DefaultMaxScans));
    if (!Decoder)
        throw std::bad_alloc();
    vj_keep_warnings(Decoder.get());
    const TByteArray& Tables = Properties.JPEGTables;
    if (!Tables.empty()) {
        const int Result = vj_read_tables(Decoder.get(), Tables.data(), Tables.size());
        if (Result == 2)
            RaiseCompression(gesJpegBogusTables);
        Check(Result, Decoder.get());
    }
    PassOnWarning();
}

void TTIFFJPEGDecoder::CheckHeader(const VjInfo& Info, std::size_t Rows) const
{
    const TByteArray& Sampling = Properties.YCbCrSubSampling;
    const int ExpectedX = Sampling.size() >= 2 ? Sampling[0] : 1;
    const int ExpectedY = Sampling.size() >= 2 ? Sampling[1] : 1;
    if (Info.Width != Properties.Width || Info.Height != Rows)
        RaiseCompression(gesJpegStripSize);
    if (Info.Components != Properties.SamplesPerPixel || (Info.Components != 1 && Info.Components != 3))
        RaiseCompression(gesJpegComponentCount);
    if (Info.Precision != Properties.BitsPerSample)
        RaiseCompression(gesJpegPrecision);
    if (Info.SamplingX != ExpectedX || Info.SamplingY != ExpectedY || !Info.OthersUnsampled)
        RaiseCompression(gesJpegSampling);
}

void TTIFFJPEGDecoder::Unpack(std::uint8_t*& Source, std::uint8_t*& Target, std::int32_t PackedSize,
                              std::int32_t UnpackedSize)
{
    const std::size_t Stride = RowBytes();
    const std::size_t Room = UnpackedSize > 0 ? static_cast<std::size_t>(UnpackedSize) : 0;
    if (Stride == 0 || Room % Stride != 0)
        RaiseCompression(gesJpegFractionalLine);
    const std::size_t Rows = Room / Stride;
    VjDecoder* D = Decoder.get();
    Check(vj_abort(D), D);
    VjInfo Info{};
    Check(vj_read_header(D, Source, PackedSize > 0 ? static_cast<std::size_t>(PackedSize) : 0, &Info), D);
    CheckHeader(Info, Rows);
    // The photometric interpretation, not libjpeg's guess from markers,
    // says what the samples are.
    vj_declare_space(D, StoredSpace(Properties.Layout));
    Check(vj_start(D, 1, Info.Components == 1 ? vjGray : vjRGB, &Info), D);
    if (std::size_t{Info.OutWidth} * Info.OutComponents != Stride || (Info.Components == 3 && !Info.OutBgr))
        RaiseCompression(gesJpegStripSize);
    for (std::size_t y = 0; y < Rows; ++y) {
        unsigned char* Line = Target + y * Stride;
        unsigned Read = 0;
        Check(vj_read_rows(D, &Line, 1, &Read), D);
        if (Read == 0)
            break;
    }
    PassOnWarning();
    Source += PackedSize > 0 ? PackedSize : 0;
}

void TTIFFJPEGDecoder::PassOnWarning()
{
    const char* Warning = Decoder ? vj_warning(Decoder.get()) : nullptr;
    if (Warning && !Warned && OnWarning) {
        Warned = true;
        OnWarning(Warning);
    }
}

void TTIFFJPEGDecoder::FinishUnpack()
{
    Decoder.reset();
}

} // namespace vidlark
