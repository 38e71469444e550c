// The reader base class: content test, header reader, assignment rule, the
// common load frame with its progress, the message helpers and the small
// byte-order and predictor helpers.

#include "imaging/ZOdidoreVuZazador.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

namespace vidlark {
namespace {

// A reader of a minimal grey format ("VTST", width, height, one byte per
// pixel) that loads through the common frame and the colour manager.
class TTestGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "VTST";
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    static bool CanReadStream(TStream& stream)
    {
        TStreamPositionKeeper keep(stream);
        char magic[4] = {};
        return stream.Read(magic, 4) == 4 && std::string_view(magic, 4) == "VTST";
    }

    bool ReadProperties(TStream& stream, std::uint32_t imageIndex) override
    {
        ZOdidoreVuZazador::ReadProperties(stream, imageIndex);
        if (!CanReadStream(stream))
            return false;
        std::uint8_t head[6];
        stream.ReadBuffer(head, sizeof head);
        ImageProperties.Width = head[4];
        ImageProperties.Height = head[5];
        ImageProperties.Layout = schGray;
        ImageProperties.BitsPerSample = 8;
        ImageProperties.SamplesPerPixel = 1;
        ImageProperties.BitsPerPixel = 8;
        ImageProperties.Compression = cmpNone;
        ImageProperties.RowStride = head[4];
        return true;
    }

    void LoadFromStream(TStream& stream) override
    {
        BeginLoad(stream, 0, FormatName);
        ReportPreparing();
        stream.SetPosition(StartPosition + 6);
        ColorManager.SetInLayout(schGray);
        ColorManager.SetOutLayout(schGray);
        ColorManager.SetInSamplesPerPixel(1);
        ColorManager.SetOutSamplesPerPixel(1);
        PrepareBitmap(ImageProperties.Width, ImageProperties.Height, FormatName);
        SetPalette(ColorManager.MakeGrayPalette(false));
        ReportStageEnd();
        ReportStageStart(gesTransfering);
        std::vector<std::uint8_t> row(ImageProperties.RowStride);
        for (std::uint32_t y = 0; y < ImageProperties.Height; ++y) {
            stream.ReadBuffer(row.data(), row.size());
            ColorManager.TransformRow(row.data(), ScanLine(y), ImageProperties.Width);
            ReportRowDone(y);
        }
        ReportStageEnd();
    }
};

constinit const TGraphicClassInfo TTestGraphic::ClassInfo{"TTestGraphic", &ZOdidoreVuZazador::ClassInfo,
                                                          CreateGraphic<TTestGraphic>, &TTestGraphic::CanReadStream};

TMemoryStream TestFile(std::uint8_t width, std::uint8_t height)
{
    std::vector<std::uint8_t> bytes = {'V', 'T', 'S', 'T', width, height};
    for (unsigned i = 0; i < unsigned(width) * height; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i * 10));
    return TMemoryStream(std::move(bytes));
}

struct TReport {
    TProgressStage Stage;
    int Percent;
    bool Redraw;
    TRect R;
    std::string Msg;
};

TEST(GraphicBase, BaseRecognisesNothingAndResetsItsProperties)
{
    TMemoryStream stream = TestFile(2, 2);
    EXPECT_FALSE(ZOdidoreVuZazador::CanReadStream(stream));
    EXPECT_FALSE(ZOdidoreVuZazador::ClassInfo.CanReadFile(test::Fixture("bmp24.bmp")));
    EXPECT_THROW(ZOdidoreVuZazador::ClassInfo.CanReadFile(test::Fixture("missing.file")), EFOpenError);

    ZOdidoreVuZazador graphic;
    graphic.ImageProperties.Width = 9;
    graphic.ImageProperties.Gamma = 2.5f;
    graphic.ImageProperties.RowsPerStrip = {1, 2};
    EXPECT_FALSE(graphic.ReadProperties(stream, 0));
    EXPECT_EQ(graphic.ImageProperties, TImageProperties{});
    EXPECT_EQ(graphic.ImageProperties.Gamma, 1.0f);
    EXPECT_EQ(graphic.ImageProperties.Width, 0u);
    EXPECT_TRUE(graphic.ImageProperties.RowsPerStrip.empty());
}

TEST(GraphicBase, ReaderContentTestKeepsThePositionAndCanReadFileClosesTheFile)
{
    TMemoryStream stream = TestFile(2, 2);
    stream.SetPosition(0);
    EXPECT_TRUE(TTestGraphic::CanReadStream(stream));
    EXPECT_EQ(stream.GetPosition(), 0);
    stream.SetPosition(1);
    EXPECT_FALSE(TTestGraphic::CanReadStream(stream));
    EXPECT_EQ(stream.GetPosition(), 1);
}

TEST(GraphicBase, LoadFrameReportsItsStagesAndRowPercentages)
{
    TTestGraphic graphic;
    std::vector<TReport> reports;
    graphic.OnProgress = [&](TGraphic& sender, TProgressStage stage, std::uint8_t percent, bool redraw, const TRect& r,
                             const std::string& msg) {
        EXPECT_EQ(&sender, &graphic);
        reports.push_back(TReport{stage, percent, redraw, r, msg});
    };
    TMemoryStream stream = TestFile(4, 3);
    graphic.LoadFromStream(stream);

    ASSERT_EQ(reports.size(), 7u);
    EXPECT_EQ(reports[0].Stage, TProgressStage::psStarting);
    EXPECT_EQ(reports[0].Msg, "Preparing...");
    EXPECT_EQ(reports[0].R, (TRect{0, 0, 4, 1}));
    EXPECT_EQ(reports[1].Stage, TProgressStage::psEnding);
    EXPECT_EQ(reports[2].Msg, "Transfering...");
    const int percents[] = {0, 33, 67};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(reports[3 + i].Stage, TProgressStage::psRunning);
        EXPECT_EQ(reports[3 + i].Percent, percents[i]);
        EXPECT_TRUE(reports[3 + i].Redraw);
        EXPECT_EQ(reports[3 + i].R.Top, i);
        EXPECT_EQ(reports[3 + i].R.Bottom, i + 1);
    }
    EXPECT_EQ(reports.back().Stage, TProgressStage::psEnding);
    EXPECT_EQ(reports.back().Percent, 0);
    EXPECT_FALSE(reports.back().Redraw);

    EXPECT_EQ(graphic.GetPixelFormat(), pf8bit);
    EXPECT_EQ(graphic.ScanLine(2)[3], 110);
    EXPECT_EQ(graphic.PixelColor(1, 0), RGBColor(10, 10, 10));
    EXPECT_EQ(graphic.ImageProperties.Width, 4u);
}

TEST(GraphicBase, FailingHeaderRaisesBeforeAnyProgress)
{
    TTestGraphic graphic;
    int reports = 0;
    graphic.OnProgress = [&](TGraphic&, TProgressStage, std::uint8_t, bool, const TRect&, const std::string&) {
        ++reports;
    };
    TMemoryStream stream(std::vector<std::uint8_t>{'N', 'O', 'P', 'E', 1, 1, 0});
    try {
        graphic.LoadFromStream(stream);
        ADD_FAILURE() << "load did not fail";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot load image. Invalid or unexpected VTST image format.");
    }
    EXPECT_EQ(reports, 0);
    // A header that passes but data that end early: the stream's error.
    TMemoryStream cut(std::vector<std::uint8_t>{'V', 'T', 'S', 'T', 3, 3, 0});
    EXPECT_THROW(graphic.LoadFromStream(cut), EInvalidGraphic);
}

TEST(GraphicBase, AssignmentCopiesPropertiesOnlyFromReaders)
{
    TTestGraphic source;
    TMemoryStream stream = TestFile(5, 2);
    source.LoadFromStream(stream);

    TTestGraphic target;
    target.Assign(source);
    EXPECT_EQ(target.ImageProperties, source.ImageProperties);
    EXPECT_EQ(target.GetWidth(), 5u);
    EXPECT_EQ(target.ScanLine(1)[4], 90);

    TBitmap plain;
    plain.SetSize(7, 7);
    target.Assign(plain);
    EXPECT_EQ(target.GetWidth(), 7u);
    EXPECT_EQ(target.ImageProperties.Width, 5u); // unchanged
}

TEST(GraphicBase, MessagesAreFormattedFromTheTable)
{
    EXPECT_EQ(FormatGraphicMessage(gesUnsupportedFeature, {gesCompressionScheme, "PNG"}),
              "Cannot load image. The compression scheme is not supported for PNG files.");
    EXPECT_EQ(FormatGraphicMessage("100%% %s %s", {"a"}), "100% a %s");
    try {
        RaiseGraphicErrorFmt(gesRegistration, {"tga"});
    } catch (const EGraphicError& e) {
        EXPECT_STREQ(e.what(), "Attempt to register tga twice.");
        EXPECT_NE(dynamic_cast<const EInvalidGraphic*>(&e), nullptr);
    }
    EXPECT_THROW(RaiseGraphicError("x"), EInvalidGraphic);
    // One base catches every failure of the library.
    EXPECT_THROW(throw EGraphicCompression("y"), EGraphicError);
    EXPECT_THROW(throw EColorConversionError("z"), EGraphicError);
}

TEST(GraphicBase, ByteSwapAndPredictorHelpers)
{
    std::uint16_t shorts[] = {0x1234, 0xABCD};
    SwapShorts(shorts);
    EXPECT_EQ(shorts[0], 0x3412);
    EXPECT_EQ(shorts[1], 0xCDAB);
    std::uint32_t longs[] = {0x11223344};
    SwapLongs(longs);
    EXPECT_EQ(longs[0], 0x44332211u);
    EXPECT_EQ(SwapLong(0xA1B2C3D4), 0xD4C3B2A1u);

    std::uint8_t grey[] = {10, 1, 2, 250, 7};
    UndoPredictor(grey, 3, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(grey, grey + 5), (std::vector<std::uint8_t>{10, 11, 13, 7, 7}));

    std::uint8_t rgb[] = {1, 2, 3, 1, 1, 1, 255, 0, 1};
    UndoPredictor(rgb, 2, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(rgb, rgb + 9), (std::vector<std::uint8_t>{1, 2, 3, 2, 3, 4, 1, 3, 5}));

    // A count beyond the row stops at the row's end.
    std::uint8_t rgba[] = {1, 1, 1, 1, 2, 2, 2, 2};
    UndoPredictor(rgba, 100, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(rgba, rgba + 8), (std::vector<std::uint8_t>{1, 1, 1, 1, 3, 3, 3, 3}));
}

TEST(GraphicBase, StreamsKeepSixtyFourBitPositions)
{
    TMemoryStream stream(std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_EQ(stream.Seek(5'000'000'000, TSeekOrigin::soBeginning), 5'000'000'000);
    std::uint8_t b = 0;
    EXPECT_EQ(stream.Read(&b, 1), 0u);
    EXPECT_EQ(stream.Remaining(), 0);
    EXPECT_THROW(stream.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    stream.SetPosition(1);
    EXPECT_THROW(stream.ReadBuffer(&b, 3), EInvalidGraphic);
    TFileStream file(test::Fixture("bmp24.bmp"));
    EXPECT_EQ(file.GetSize(), 334);
    file.Seek(-2, TSeekOrigin::soEnd);
    std::uint8_t tail[4];
    EXPECT_EQ(file.Read(tail, 4), 2u);
}

} // namespace
} // namespace vidlark
