// The Paintshop Pro reader: files built byte by byte from the format's
// public description (versions 3, 4 and 5; plain, RLE and LZ77 channels;
// 24 bits with and without mask, palette and grey), every pixel checked,
// and refusals.

#include "imaging/PSPGraphic.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/LoadAttempt.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace vidlark;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t W = 5, H = 3;

void Put16(Bytes& B, std::uint32_t V) { B.insert(B.end(), {static_cast<std::uint8_t>(V), static_cast<std::uint8_t>(V >> 8)}); }
void Put32(Bytes& B, std::uint32_t V)
{
    for (int i = 0; i < 4; ++i)
        B.push_back(static_cast<std::uint8_t>(V >> (8 * i)));
}
Bytes Join(std::initializer_list<Bytes> Parts)
{
    Bytes All;
    for (const Bytes& P : Parts)
        All.insert(All.end(), P.begin(), P.end());
    return All;
}

// A file of major version Major, built block by block.
struct TBuilder {
    unsigned Major;

    Bytes FileHeader(const char* Signature = "Paint Shop Pro Image File\n\x1a") const
    {
        Bytes B(32, 0);
        std::memcpy(B.data(), Signature, std::strlen(Signature));
        Put16(B, Major);
        Put16(B, 0);
        return B;
    }
    Bytes Block(std::uint16_t Id, const Bytes& Body, std::uint32_t Length = 0xFFFFFFFF) const
    {
        Bytes B{'~', 'B', 'K', 0};
        Put16(B, Id);
        if (Major == 3)
            Put32(B, static_cast<std::uint32_t>(Body.size()));
        Put32(B, Length == 0xFFFFFFFF ? static_cast<std::uint32_t>(Body.size()) : Length);
        return Join({B, Body});
    }
    // A chunk of a later version: its own length first.
    Bytes Chunk(const Bytes& Body) const
    {
        if (Major == 3)
            return Body;
        Bytes B;
        Put32(B, static_cast<std::uint32_t>(Body.size() + 4));
        return Join({B, Body});
    }
    Bytes Attributes(std::uint16_t Compression, std::uint16_t Depth, bool Grey, double Resolution = 72,
                     std::uint8_t Unit = 1) const
    {
        Bytes B;
        Put32(B, W);
        Put32(B, H);
        std::uint64_t Bits;
        std::memcpy(&Bits, &Resolution, 8);
        Put32(B, static_cast<std::uint32_t>(Bits));
        Put32(B, static_cast<std::uint32_t>(Bits >> 32));
        B.push_back(Unit);
        Put16(B, Compression);
        Put16(B, Depth);
        Put16(B, 1);
        Put32(B, Depth == 24 ? 1u << 24 : 1u << Depth);
        B.push_back(Grey ? 1 : 0);
        B.resize(B.size() + 14, 0);
        return Block(0, Chunk(B));
    }
    Bytes Palette(std::uint32_t Count, std::uint32_t Stored) const
    {
        Bytes B;
        Put32(B, Count);
        for (std::uint32_t i = 0; i < Stored; ++i)
            B.insert(B.end(), {static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(i * 5), static_cast<std::uint8_t>(i * 7), 0});
        return Block(2, Chunk(B));
    }
    Bytes Channel(std::uint16_t Type, const Bytes& Data, std::uint32_t Unpacked, std::uint32_t Packed = 0xFFFFFFFF) const
    {
        Bytes B;
        Put32(B, Packed == 0xFFFFFFFF ? static_cast<std::uint32_t>(Data.size()) : Packed);
        Put32(B, Unpacked);
        Put16(B, 0);
        Put16(B, Type);
        return Block(5, Join({Chunk(B), Data}));
    }
    Bytes Layer(std::uint8_t Type, const std::vector<Bytes>& Channels) const
    {
        Bytes Info(115, 0);
        Info[0] = Type;
        Bytes Body;
        if (Major == 3) {
            Body = Join({Bytes(256, 'n'), Info});
        } else {
            Bytes Name;
            Put16(Name, 4);
            Body = Chunk(Join({Name, Bytes{'n', 'a', 'm', 'e'}, Info, Bytes(9, 0)}));
        }
        Bytes Counts;
        Put16(Counts, 1);
        Put16(Counts, static_cast<std::uint16_t>(Channels.size()));
        Body = Join({Body, Chunk(Counts)});
        for (const Bytes& C : Channels)
            Body = Join({Body, C});
        return Block(4, Body);
    }
};

// Sample s of pixel (x, y) of channel c, as every picture below stores it.
std::uint8_t Sample(std::uint32_t x, std::uint32_t y, unsigned c) { return static_cast<std::uint8_t>(x * 40 + y * 70 + c * 13); }

// Bytes of a channel packed as the file's compression says.
Bytes Packed(const Bytes& Plain, std::uint16_t Compression)
{
    if (Compression == 0)
        return Plain;
    if (Compression == 1) {
        // A run for the first row's first two bytes when equal, literals after.
        Bytes Out;
        for (std::size_t i = 0; i < Plain.size(); i += 3) {
            const std::size_t n = std::min<std::size_t>(3, Plain.size() - i);
            if (n == 3 && Plain[i] == Plain[i + 1] && Plain[i] == Plain[i + 2]) {
                Out.insert(Out.end(), {static_cast<std::uint8_t>(128 + 3), Plain[i]});
            } else {
                Out.push_back(static_cast<std::uint8_t>(n));
                Out.insert(Out.end(), Plain.begin() + static_cast<std::ptrdiff_t>(i), Plain.begin() + static_cast<std::ptrdiff_t>(i + n));
            }
        }
        return Out;
    }
    uLongf Size = compressBound(static_cast<uLong>(Plain.size()));
    Bytes Out(Size);
    compress(Out.data(), &Size, Plain.data(), static_cast<uLong>(Plain.size()));
    Out.resize(Size);
    return Out;
}

Bytes Plane(unsigned c)
{
    Bytes P;
    for (std::uint32_t y = 0; y < H; ++y)
        for (std::uint32_t x = 0; x < W; ++x)
            P.push_back(c == 9 ? static_cast<std::uint8_t>((x + y) % 4) : Sample(x, y, c));
    return P;
}

enum class TKind { Rgb, RgbMask, Palette, Grey };

Bytes Picture(const TBuilder& F, std::uint16_t Compression, TKind Kind, bool VectorFirst = false)
{
    const bool Colour = Kind == TKind::Rgb || Kind == TKind::RgbMask;
    std::vector<Bytes> Channels;
    if (Colour)
        for (unsigned c = 1; c <= 3; ++c)
            Channels.push_back(F.Channel(static_cast<std::uint16_t>(c), Packed(Plane(c), Compression), W * H));
    if (Kind != TKind::Rgb)
        Channels.push_back(F.Channel(0, Packed(Plane(Kind == TKind::Palette ? 9 : 0), Compression), W * H));
    Bytes Bank = F.Layer(0, Channels);
    if (VectorFirst)
        Bank = Join({F.Layer(3, {F.Channel(1, Bytes(W * H, 0xEE), W * H)}), Bank});
    return Join({F.FileHeader(), F.Attributes(Compression, Colour ? 24 : 8, Kind == TKind::Grey),
                 Kind == TKind::Palette ? F.Palette(4, 4) : Bytes{}, F.Block(3, Bank)});
}

using TLoad = test::TLoadAttempt<TPSPGraphic>;
TLoad Load(const Bytes& File) { return test::LoadBytes<TPSPGraphic>(File); }

const std::string Invalid = "Cannot load image. Invalid or unexpected PSP image format.";

} // namespace

TEST(PSPGraphic, EveryVersionCompressionAndKindShowsEveryPixel)
{
    for (const unsigned Major : {3u, 4u, 5u})
        for (const std::uint16_t Compression : {0, 1, 2})
            for (const TKind Kind : {TKind::Rgb, TKind::RgbMask, TKind::Palette, TKind::Grey}) {
                const std::string Name = "version " + std::to_string(Major) + " compression " +
                                         std::to_string(Compression) + " kind " + std::to_string(int(Kind));
                const TLoad Loaded = Load(Picture(TBuilder{Major}, Compression, Kind, Major == 5));
                ASSERT_EQ(Loaded.Error, "") << Name;
                const TPSPGraphic& P = *Loaded.Picture;
                ASSERT_EQ(P.GetWidth(), W) << Name;
                EXPECT_EQ(P.GetPixelFormat(), Kind == TKind::RgbMask ? pf32bit : Kind == TKind::Rgb ? pf24bit : pf8bit) << Name;
                for (std::uint32_t y = 0; y < H; ++y)
                    for (std::uint32_t x = 0; x < W; ++x) {
                        TColor Expected;
                        if (Kind == TKind::Palette) {
                            const unsigned i = (x + y) % 4;
                            Expected = RGBColor(static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(i * 5),
                                                static_cast<std::uint8_t>(i * 3));
                        } else if (Kind == TKind::Grey) {
                            Expected = RGBColor(Sample(x, y, 0), Sample(x, y, 0), Sample(x, y, 0));
                        } else {
                            Expected = RGBColor(Sample(x, y, 1), Sample(x, y, 2), Sample(x, y, 3));
                        }
                        ASSERT_EQ(P.PixelColor(x, y), Expected) << Name << " at " << x << "," << y;
                        if (Kind == TKind::RgbMask) {
                            ASSERT_EQ(P.ScanLine(y)[4 * x + 3], Sample(x, y, 0)) << Name;
                        }
                    }
            }
}

TEST(PSPGraphic, HeaderContentTestAndProperties)
{
    const TBuilder F{5};
    const Bytes File = Join({F.FileHeader("pAINT sHOP pRO iMAGE fILE"), F.Attributes(2, 24, false, 28.35, 2)});
    TMemoryStream Stream(File);
    EXPECT_TRUE(TPSPGraphic::CanReadStream(Stream));
    EXPECT_EQ(Stream.GetPosition(), 0);
    TPSPGraphic Picture;
    ASSERT_TRUE(Picture.ReadProperties(Stream, 0));
    EXPECT_EQ(Stream.GetPosition(), 0);
    const TImageProperties& P = Picture.ImageProperties;
    EXPECT_EQ(P.FormatVersion, 5u);
    EXPECT_EQ(P.Width, W);
    EXPECT_EQ(P.Layout, schRGB);
    EXPECT_EQ(P.BitsPerPixel, 24);
    EXPECT_EQ(P.Compression, cmpDeflate);
    EXPECT_NEAR(P.XResolution, 72.009, 0.001);

    const Bytes Old = Join({TBuilder{2}.FileHeader(), TBuilder{2}.Attributes(0, 8, true)});
    TMemoryStream OldStream(Old);
    EXPECT_FALSE(TPSPGraphic::CanReadStream(OldStream));
    EXPECT_FALSE(Picture.ReadProperties(OldStream, 0));
    EXPECT_EQ(Load(Old).Error, Invalid);
}

TEST(PSPGraphic, PackedSamplesOfOneAndFourBits)
{
    // 4 bits, 5 wide: rows of 5 div 2 + 1 = 3 bytes; 1 bit: rows of 1 byte.
    for (const std::uint16_t Depth : {1, 4}) {
        const TBuilder F{5};
        const std::size_t RowBytes = Depth == 4 ? 3 : 1;
        Bytes Data;
        for (std::uint32_t y = 0; y < H; ++y)
            for (std::size_t i = 0; i < RowBytes; ++i)
                Data.push_back(Depth == 4 ? static_cast<std::uint8_t>(0x12 * (y + 1) + i) : static_cast<std::uint8_t>(0xA0 >> y));
        const Bytes File = Join({F.FileHeader(), F.Attributes(0, Depth, true),
                                 F.Block(3, F.Layer(1, {F.Channel(0, Data, static_cast<std::uint32_t>(Data.size()))}))});
        const TLoad Loaded = Load(File);
        ASSERT_EQ(Loaded.Error, "") << Depth;
        for (std::uint32_t y = 0; y < H; ++y)
            for (std::uint32_t x = 0; x < W; ++x) {
                const std::uint8_t Byte = Data[y * RowBytes + x * Depth / 8];
                const unsigned Level = Depth == 4 ? (x % 2 ? Byte & 15 : Byte >> 4) : (Byte >> (7 - x)) & 1;
                const std::uint8_t Grey = static_cast<std::uint8_t>(Level * (Depth == 4 ? 17 : 255));
                EXPECT_EQ(Loaded.Picture->PixelColor(x, y), RGBColor(Grey, Grey, Grey)) << Depth << " " << x << "," << y;
            }
    }
}

TEST(PSPGraphic, ChannelsNeverPassTheirPlane)
{
    const TBuilder F{4};
    // A plain channel larger than its plane, stating a smaller size, then a
    // channel of an unknown type, then the mask: read up to the plane, the rest passed over.
    Bytes Long = Plane(0);
    Long.insert(Long.end(), 50, 0xEE);
    std::vector<Bytes> Channels;
    for (unsigned c = 1; c <= 3; ++c)
        Channels.push_back(F.Channel(static_cast<std::uint16_t>(c), c == 2 ? Join({Plane(2), Bytes(40, 1)}) : Plane(c), 4));
    Channels.push_back(F.Channel(7, Bytes(W * H, 0xEE), W * H));
    Channels.push_back(F.Channel(0, Long, 1000));
    const TLoad Loaded = Load(Join({F.FileHeader(), F.Attributes(0, 24, false), F.Block(3, F.Layer(1, Channels))}));
    ASSERT_EQ(Loaded.Error, "");
    EXPECT_EQ(Loaded.Picture->PixelColor(4, 2), RGBColor(Sample(4, 2, 1), Sample(4, 2, 2), Sample(4, 2, 3)));
    EXPECT_EQ(Loaded.Picture->ScanLine(2)[4 * 4 + 3], Sample(4, 2, 0));

    // More than 256 palette entries: 256 are read, the block's end is the next block.
    const Bytes Indexed = Join({F.FileHeader(), F.Attributes(0, 8, false), F.Palette(1000, 300),
                                F.Block(3, F.Layer(1, {F.Channel(0, Bytes(W * H, 255), W * H)}))});
    const TLoad Wide = Load(Indexed);
    ASSERT_EQ(Wide.Error, "");
    EXPECT_EQ(Wide.Picture->PixelColor(0, 0), RGBColor(static_cast<std::uint8_t>(255 * 7), static_cast<std::uint8_t>(255 * 5),
                                                       static_cast<std::uint8_t>(255 * 3)));
}

TEST(PSPGraphic, RefusalsWithTheirMessages)
{
    const TBuilder F{5};
    const Bytes Start = Join({F.FileHeader(), F.Attributes(0, 24, false)});
    const std::vector<Bytes> Rgb{F.Channel(1, Plane(1), 15), F.Channel(2, Plane(2), 15), F.Channel(3, Plane(3), 15)};
    Bytes HugeChannel = F.Channel(3, Plane(3), 15, 0xFFFFFFFF - 1);
    const std::string Unsupported = "Cannot load image. The compression scheme is not supported for PSP files.";
    const struct {
        const char* Name;
        Bytes File;
        std::string Error;
    } Cases[] = {
        {"block length 0xFFFFFFF6", Join({Start, F.Block(3, F.Layer(1, Rgb), 0xFFFFFFF6)}), Invalid},
        {"layer past its bank", Join({Start, F.Block(3, Join({F.Block(4, F.Layer(1, Rgb), 100000)}))}), Invalid},
        {"channel of 4 GiB", Join({Start, F.Block(3, F.Layer(1, {Rgb[0], Rgb[1], HugeChannel}))}), Invalid},
        {"missing blue plane", Join({Start, F.Block(3, F.Layer(1, {Rgb[0], Rgb[1]}))}), Invalid},
        {"JPEG compression", Join({F.FileHeader(), F.Attributes(3, 24, false), F.Block(3, F.Layer(1, Rgb))}), Unsupported},
        {"unknown compression", Join({F.FileHeader(), F.Attributes(9, 24, false), F.Block(3, F.Layer(1, Rgb))}), Unsupported},
        {"bit depth 16", Join({F.FileHeader(), F.Attributes(0, 16, false), F.Block(3, F.Layer(1, Rgb))}),
         "Invalid color format in PSP file."},
        {"picture larger than the file", Join({TBuilder{5}.FileHeader(), [] {
              Bytes A = TBuilder{5}.Attributes(0, 24, false);
              A[10 + 4] = 0xFF, A[10 + 5] = 0xFF; // width 65535
              A[10 + 8] = 0xFF, A[10 + 9] = 0x0F;  // height 4095
              return A;
          }()}), Invalid},
    };
    for (const auto& Case : Cases) {
        const TLoad Loaded = Load(Case.File);
        EXPECT_EQ(Loaded.Error, Case.Error) << Case.Name;
        EXPECT_LT(Loaded.Largest, 1u << 20) << Case.Name;
    }
}
