// JPEG strips written here with libjpeg's own compressor (whole and
// abbreviated streams), decoded as TIFF strips.

#include "imaging/GraphicErrors.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct TStripShape {
    std::uint32_t Width = 16;
    std::uint32_t Height = 8;
    int Components = 3;
    J_COLOR_SPACE Stored = JCS_RGB;
    int SamplingX = 1, SamplingY = 1;
    bool Abbreviated = false; // tables left out, to be given once per file
};

// A picture of plain colour areas (JPEG keeps them nearly exact): red on the
// left half, blue on the right; grey 60 and 200 for one component. Chroma
// that is subsampled is smoothed across edges, so such pictures are red.
Bytes Pixels(const TStripShape& S)
{
    Bytes P(std::size_t{S.Width} * S.Height * S.Components);
    for (std::uint32_t y = 0; y < S.Height; ++y)
        for (std::uint32_t x = 0; x < S.Width; ++x) {
            std::uint8_t* p = &P[(std::size_t{y} * S.Width + x) * S.Components];
            const bool Left = x < S.Width / 2 || S.SamplingX > 1;
            if (S.Components == 1) {
                p[0] = Left ? 60 : 200;
            } else {
                p[0] = Left ? 220 : 20;
                p[1] = 30;
                p[2] = Left ? 20 : 210;
            }
        }
    return P;
}

struct TCompressor {
    jpeg_compress_struct Info{};
    jpeg_error_mgr Error{};
    unsigned char* Out = nullptr;
    unsigned long Size = 0;

    explicit TCompressor(const TStripShape& S)
    {
        Info.err = jpeg_std_error(&Error);
        jpeg_create_compress(&Info);
        jpeg_mem_dest(&Info, &Out, &Size);
        Info.image_width = S.Width;
        Info.image_height = S.Height;
        Info.input_components = S.Components;
        Info.in_color_space = S.Components == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&Info);
        jpeg_set_colorspace(&Info, S.Stored);
        jpeg_set_quality(&Info, 100, TRUE);
        Info.comp_info[0].h_samp_factor = S.SamplingX;
        Info.comp_info[0].v_samp_factor = S.SamplingY;
    }
    ~TCompressor()
    {
        jpeg_destroy_compress(&Info);
        std::free(Out);
    }
    Bytes Take()
    {
        Bytes Data(Out, Out + Size);
        std::free(Out);
        Out = nullptr;
        Size = 0;
        jpeg_mem_dest(&Info, &Out, &Size);
        return Data;
    }
};

// The strip, and the tables stream when abbreviated.
std::pair<Bytes, Bytes> Compress(const TStripShape& S)
{
    TCompressor C(S);
    Bytes Tables;
    if (S.Abbreviated) {
        jpeg_write_tables(&C.Info);
        Tables = C.Take();
    }
    jpeg_start_compress(&C.Info, S.Abbreviated ? FALSE : TRUE);
    const Bytes P = Pixels(S);
    for (std::uint32_t y = 0; y < S.Height; ++y) {
        JSAMPROW Row = const_cast<JSAMPROW>(&P[std::size_t{y} * S.Width * S.Components]);
        jpeg_write_scanlines(&C.Info, &Row, 1);
    }
    jpeg_finish_compress(&C.Info);
    return {C.Take(), Tables};
}

TImageProperties PropertiesFor(const TStripShape& S, TColorLayout Layout)
{
    TImageProperties P;
    P.Width = S.Width;
    P.Height = S.Height;
    P.SamplesPerPixel = static_cast<std::uint8_t>(S.Components);
    P.BitsPerSample = 8;
    P.Layout = Layout;
    if (S.SamplingX != 1 || S.SamplingY != 1)
        P.YCbCrSubSampling = {static_cast<std::uint8_t>(S.SamplingX), static_cast<std::uint8_t>(S.SamplingY)};
    return P;
}

struct TRun {
    Bytes Rows;
    std::vector<std::string> Warnings;
};

TRun Decode(const TImageProperties& P, std::vector<Bytes> Strips, std::size_t RowsPerStrip)
{
    TRun Run;
    TTIFFJPEGDecoder Decoder(P, [&](const std::string& Text) { Run.Warnings.push_back(Text); });
    Decoder.StartUnpack();
    for (Bytes& Strip : Strips) {
        Bytes Rows(Decoder.RowBytes() * RowsPerStrip, 0);
        std::uint8_t* Source = Strip.data();
        std::uint8_t* Target = Rows.data();
        Decoder.Unpack(Source, Target, static_cast<std::int32_t>(Strip.size()), static_cast<std::int32_t>(Rows.size()));
        Run.Rows.insert(Run.Rows.end(), Rows.begin(), Rows.end());
    }
    Decoder.FinishUnpack();
    return Run;
}

void ExpectNear(const Bytes& Got, const Bytes& Wanted, int Tolerance)
{
    ASSERT_EQ(Got.size(), Wanted.size());
    for (std::size_t i = 0; i < Got.size(); ++i)
        ASSERT_NEAR(Got[i], Wanted[i], Tolerance) << "byte " << i;
}

std::string CompressionError(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const EGraphicCompression& E) {
        return E.what();
    }
    return "no error";
}

} // namespace

TEST(TIFFJPEGDecoder, ColourRowsComeBlueFirstAndGreyRowsOneByteAPixel)
{
    struct TCase {
        TStripShape Shape;
        TColorLayout Layout;
    };
    const TCase Cases[] = {
        {{.Stored = JCS_YCbCr, .SamplingX = 2, .SamplingY = 2}, schYCbCr},
        {{.Stored = JCS_RGB}, schRGB},
        {{.Components = 1, .Stored = JCS_GRAYSCALE}, schGray},
        {{.Stored = JCS_YCbCr, .Abbreviated = true}, schYCbCr},
    };
    for (const TCase& C : Cases) {
        auto [Strip, Tables] = Compress(C.Shape);
        TImageProperties P = PropertiesFor(C.Shape, C.Layout);
        P.JPEGTables = Tables;
        Bytes Wanted = Pixels(C.Shape);
        if (C.Shape.Components == 3)
            for (std::size_t i = 0; i < Wanted.size(); i += 3)
                std::swap(Wanted[i], Wanted[i + 2]);
        const TRun Run = Decode(P, {Strip}, C.Shape.Height);
        ExpectNear(Run.Rows, Wanted, 8);
        EXPECT_TRUE(Run.Warnings.empty());
    }
}

TEST(TIFFJPEGDecoder, StripsThatDoNotMatchTheImageAreRefused)
{
    const TStripShape Shape{.Stored = JCS_YCbCr, .SamplingX = 2, .SamplingY = 2};
    const Bytes Strip = Compress(Shape).first;
    auto Refusal = [&](TImageProperties P, std::size_t Rows, std::size_t RowBytes) {
        return CompressionError([&] {
            TTIFFJPEGDecoder Decoder(P, nullptr);
            Decoder.StartUnpack();
            Bytes Copy = Strip, Target(Rows * RowBytes);
            std::uint8_t* Source = Copy.data();
            std::uint8_t* Out = Target.data();
            Decoder.Unpack(Source, Out, static_cast<std::int32_t>(Copy.size()), static_cast<std::int32_t>(Target.size()));
        });
    };
    const TImageProperties Good = PropertiesFor(Shape, schYCbCr);
    EXPECT_EQ(Refusal(Good, 8, 48), "no error");
    EXPECT_EQ(Refusal(Good, 4, 48), gesJpegStripSize);
    EXPECT_EQ(Refusal(Good, 8, 47), gesJpegFractionalLine);
    TImageProperties Wider = Good;
    Wider.Width = 17;
    EXPECT_EQ(Refusal(Wider, 8, 51), gesJpegStripSize);
    TImageProperties Unsampled = Good;
    Unsampled.YCbCrSubSampling.clear();
    EXPECT_EQ(Refusal(Unsampled, 8, 48), gesJpegSampling);
    TImageProperties Grey = Good;
    Grey.SamplesPerPixel = 1;
    Grey.Layout = schGray;
    EXPECT_EQ(Refusal(Grey, 8, 16), gesJpegComponentCount);
    TImageProperties Deep = Good;
    Deep.BitsPerSample = 12;
    EXPECT_EQ(Refusal(Deep, 8, 48), gesJpegPrecision);

    // Tables that are a whole image are no tables stream.
    TImageProperties Bogus = Good;
    Bogus.JPEGTables = Strip;
    EXPECT_EQ(CompressionError([&] { TTIFFJPEGDecoder(Bogus, nullptr).StartUnpack(); }), gesJpegBogusTables);
}

TEST(TIFFJPEGDecoder, StripsCutShortGiveTheirRowsAndOneWarningPerLoad)
{
    const TStripShape Shape{.Width = 64, .Height = 64, .Components = 1, .Stored = JCS_GRAYSCALE};
    Bytes Cut = Compress(Shape).first;
    // Half way into the entropy-coded data, after the start-of-scan marker.
    std::size_t ScanStart = 0;
    while (ScanStart + 1 < Cut.size() && !(Cut[ScanStart] == 0xFF && Cut[ScanStart + 1] == 0xDA))
        ++ScanStart;
    Cut.resize(ScanStart + (Cut.size() - ScanStart) / 2);
    const TRun Run = Decode(PropertiesFor(Shape, schGray), {Cut, Cut}, Shape.Height);
    EXPECT_EQ(Run.Warnings, std::vector<std::string>{"JPEG decompression error. Unexpected end of input."});
    // The first rows decode as written.
    const Bytes Written = Pixels(Shape);
    ExpectNear(Bytes(Run.Rows.begin(), Run.Rows.begin() + 64), Bytes(Written.begin(), Written.begin() + 64), 8);
}
