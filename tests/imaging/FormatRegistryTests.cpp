// The format registry, the general picture loader and the library's own
// registrations.

#include "imaging/FileFormatList.h"
#include "imaging/Icon.h"
#include "imaging/ImageFormats.h"
#include "imaging/JPEGImage.h"
#include "imaging/Metafile.h"
#include "imaging/TargaGraphic.h"
#include "imaging/ZOdidoreVuZazador.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

namespace vidlark {
namespace {

// Readers whose content tests look at the first byte only; each moves the
// stream while testing and puts it back.
template <char First>
bool FirstByteIs(TStream& stream)
{
    const std::int64_t at = stream.GetPosition();
    char c = 0;
    const bool yes = stream.Read(&c, 1) == 1 && c == First;
    stream.SetPosition(at);
    return yes;
}

struct TReaderA : ZOdidoreVuZazador {
    static const TGraphicClassInfo ClassInfo;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }
};
struct TReaderAToo : ZOdidoreVuZazador {
    static const TGraphicClassInfo ClassInfo;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }
};
// A descendant of TReaderA with its own test, as EPS descends from TIFF.
struct TReaderAChild : TReaderA {
    static const TGraphicClassInfo ClassInfo;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }
};
struct TReaderB : ZOdidoreVuZazador {
    static const TGraphicClassInfo ClassInfo;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }
};

constinit const TGraphicClassInfo TReaderA::ClassInfo{"TReaderA", &ZOdidoreVuZazador::ClassInfo,
                                                      CreateGraphic<TReaderA>, &FirstByteIs<'A'>};
constinit const TGraphicClassInfo TReaderAToo::ClassInfo{"TReaderAToo", &ZOdidoreVuZazador::ClassInfo,
                                                         CreateGraphic<TReaderAToo>, &FirstByteIs<'A'>};
constinit const TGraphicClassInfo TReaderAChild::ClassInfo{"TReaderAChild", &TReaderA::ClassInfo,
                                                           CreateGraphic<TReaderAChild>, &FirstByteIs<'A'>};
constinit const TGraphicClassInfo TReaderB::ClassInfo{"TReaderB", &ZOdidoreVuZazador::ClassInfo,
                                                      CreateGraphic<TReaderB>, &FirstByteIs<'B'>};

std::vector<std::string> ExtensionsOf(const TPictureFormats& formats)
{
    std::vector<std::string> result;
    for (const auto& f : formats.Formats())
        result.push_back(f.Extension);
    return result;
}

TEST(FormatRegistry, AddFormatBindsExtensionsToClassesAndFeedsTheLoader)
{
    TPictureFormats loader;
    TFileFormatList list(loader);
    list.AddFormat("", "ignored", "", fkRaster, false, &TReaderA::ClassInfo);
    EXPECT_TRUE(list.ExtensionList().empty());

    list.AddFormat("TGA", "Common", "", fkRaster, false, &TReaderA::ClassInfo);
    list.AddFormat("vda", "", "Own", fkRaster, false, &TReaderA::ClassInfo);
    list.AddFormat("xyz", "", "", fkVector, false, &TReaderB::ClassInfo);
    ASSERT_EQ(list.ClassList().size(), 2u);
    EXPECT_EQ(list.ClassList()[0]->Description, "Common");
    EXPECT_EQ(list.ClassList()[0]->ExtensionCount, 2);
    EXPECT_EQ(list.ExtensionList()[0]->Extension, "TGA"); // stored unchanged
    EXPECT_EQ(list.IndexOfExtension("tga"), 0);
    EXPECT_EQ(list.IndexOfExtension("VDA"), 1);
    EXPECT_EQ(list.IndexOfExtension(""), -1);
    EXPECT_EQ(list.IndexOfClass(&TReaderB::ClassInfo), 1);
    EXPECT_EQ(list.IndexOfClass(&TReaderAChild::ClassInfo), -1); // identity, not descent

    // The loader gets lower-cased extensions, with the own description or
    // else the class's.
    ASSERT_EQ(loader.Formats().size(), 3u);
    EXPECT_EQ(loader.Formats()[0].Extension, "tga");
    EXPECT_EQ(loader.Formats()[0].Description, "Common");
    EXPECT_EQ(loader.Formats()[1].Description, "Own");
    EXPECT_EQ(loader.Formats()[2].Description, "");

    // Capitals do not make a new extension; nothing changes on the refusal.
    try {
        list.AddFormat("tGa", "Other", "", fkRaster, false, &TReaderB::ClassInfo);
        ADD_FAILURE() << "double registration accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Attempt to register tGa twice.");
    }
    EXPECT_EQ(list.ExtensionList().size(), 3u);
    EXPECT_EQ(list.ClassList()[0]->Description, "Common");
    EXPECT_EQ(loader.Formats().size(), 3u);
}

TEST(FormatRegistry, ReplacingMovesAnExtensionAndDropsAnEmptyClass)
{
    TPictureFormats loader;
    TFileFormatList list(loader);
    list.AddFormat("abc", "A images", "Own", fkRaster, false, &TReaderA::ClassInfo);
    list.AddFormat("abc", "B images", "", fkVector, true, &TReaderB::ClassInfo);
    ASSERT_EQ(list.ClassList().size(), 1u);
    EXPECT_EQ(list.ClassList()[0]->GraphicClass, &TReaderB::ClassInfo);
    EXPECT_EQ(list.ClassList()[0]->Description, "B images");
    EXPECT_EQ(list.ExtensionList()[0]->Description, "Own"); // kept
    EXPECT_EQ(list.ExtensionList()[0]->Kinds, fkRaster);    // kept
    // The later registration takes precedence in the loader.
    EXPECT_EQ(loader.ClassForExtension("ABC"), &TReaderB::ClassInfo);
    // The loader is given this registration's description: the new class's
    // common one, as this call gives no own description.
    ASSERT_EQ(loader.Formats().size(), 2u);
    EXPECT_EQ(loader.Formats()[1].Description, "B images");
    // Replacing with the same class leaves the lists alone; its own
    // description still reaches the loader.
    list.AddFormat("abc", "", "Newer", fkRaster, true, &TReaderB::ClassInfo);
    EXPECT_EQ(list.ClassList()[0]->ExtensionCount, 1);
    EXPECT_EQ(list.ExtensionList()[0]->Description, "Own");
    ASSERT_EQ(loader.Formats().size(), 3u);
    EXPECT_EQ(loader.Formats()[2].Description, "Newer");
}

TEST(FormatRegistry, RemoveFormatTakesExtensionsAndClasses)
{
    TPictureFormats loader;
    TFileFormatList list(loader);
    list.AddFormat("a1", "A", "", fkRaster, false, &TReaderA::ClassInfo);
    list.AddFormat("a2", "", "", fkRaster, false, &TReaderA::ClassInfo);
    list.AddFormat("c1", "C", "", fkRaster, false, &TReaderAChild::ClassInfo);
    list.AddFormat("b1", "B", "", fkRaster, false, &TReaderB::ClassInfo);

    list.RemoveFormat("nope", &TReaderA::ClassInfo);
    EXPECT_EQ(list.ExtensionList().size(), 4u);

    // One of several extensions: the class stays in the loader.
    list.RemoveFormat("A1", &TReaderA::ClassInfo);
    EXPECT_EQ(list.IndexOfExtension("a1"), -1);
    EXPECT_EQ(ExtensionsOf(loader), (std::vector<std::string>{"a1", "a2", "c1", "b1"}));
    // The last one: the class and its descendants leave the loader.
    list.RemoveFormat("a2", &TReaderA::ClassInfo);
    EXPECT_EQ(list.IndexOfClass(&TReaderA::ClassInfo), -1);
    EXPECT_EQ(ExtensionsOf(loader), (std::vector<std::string>{"b1"}));
    EXPECT_EQ(list.IndexOfClass(&TReaderAChild::ClassInfo), 0);

    // A whole class with an empty extension.
    list.RemoveFormat("", &TReaderAChild::ClassInfo);
    EXPECT_EQ(list.ClassList().size(), 1u);
    EXPECT_EQ(list.ExtensionList().size(), 1u);

    list.ClearFormats();
    EXPECT_TRUE(list.ClassList().empty());
    EXPECT_TRUE(list.ExtensionList().empty());
    EXPECT_TRUE(loader.Formats().empty());
}

TEST(FormatRegistry, ContentDetectionAsksReadersInOrderAndSkipsPlatformClasses)
{
    TPictureFormats loader;
    TFileFormatList list(loader);
    list.AddFormat("bmp", "", "", fkRaster, false, &TBitmap::ClassInfo);
    list.AddFormat("aaa", "", "", fkRaster, false, &TReaderA::ClassInfo);
    list.AddFormat("chl", "", "", fkRaster, false, &TReaderAChild::ClassInfo);
    list.AddFormat("at2", "", "", fkRaster, false, &TReaderAToo::ClassInfo);
    list.AddFormat("bbb", "", "", fkRaster, false, &TReaderB::ClassInfo);

    TMemoryStream stream(std::vector<std::uint8_t>{'x', 'A', 'B'});
    stream.SetPosition(1);
    // Three readers accept; the first registered wins, the descendant
    // registered later does not.
    EXPECT_EQ(list.ClassForContent(stream), &TReaderA::ClassInfo);
    EXPECT_EQ(stream.GetPosition(), 1);
    stream.SetPosition(2);
    EXPECT_EQ(list.ClassForContent(stream), &TReaderB::ClassInfo);
    EXPECT_EQ(stream.GetPosition(), 2);
    stream.SetPosition(0);
    EXPECT_EQ(list.ClassForContent(stream), nullptr);
    EXPECT_EQ(stream.GetPosition(), 0);

    EXPECT_THROW(list.ClassForContent(test::Fixture("missing.file")), EFOpenError);
    // A Windows bitmap is never named by content: its class has no test.
    TFileFormatList platformOnly(loader);
    platformOnly.AddFormat("dib", "", "", fkRaster, false, &TBitmap::ClassInfo);
    EXPECT_EQ(platformOnly.ClassForContent(test::Fixture("bmp24.bmp")), nullptr);
}

TEST(FormatRegistry, GeneralLoaderPicksTheNewestClassForAnExtension)
{
    TPictureFormats loader;
    loader.RegisterFileFormat("IMG", "old", &TBitmap::ClassInfo);
    loader.RegisterFileFormat("img", "new", &TJPEGImage::ClassInfo);
    EXPECT_EQ(loader.ClassForExtension("Img"), &TJPEGImage::ClassInfo);
    EXPECT_EQ(loader.ClassForExtension("png"), nullptr);

    const auto folder = std::filesystem::temp_directory_path() / "vidlark-picture-loader";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(test::Fixture("photo.jpg"), folder / "photo.IMG",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(test::Fixture("bmp24.bmp"), folder / "photo.xyz",
                               std::filesystem::copy_options::overwrite_existing);
    TPicture picture(loader);
    picture.LoadFromFile(folder / "photo.IMG");
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(&picture.Graphic()->ClassType(), &TJPEGImage::ClassInfo);
    EXPECT_EQ(picture.Graphic()->GetWidth(), 48u);
    try {
        picture.LoadFromFile(folder / "photo.xyz");
        ADD_FAILURE() << "unknown extension accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(&picture.Graphic()->ClassType(), &TJPEGImage::ClassInfo); // kept
    std::filesystem::remove_all(folder);
}

TEST(ImageFormats, LibraryRegistersItsFormatsInOrderAndRemovesThemInOrder)
{
    TPictureFormats loader;
    {
        TFileFormatList list(loader);
        RegisterImageFormats(list);
        // The platform's classes come first, in this order.
        ASSERT_GE(list.ClassList().size(), 4u);
        EXPECT_EQ(list.ClassList()[0]->GraphicClass, &TBitmap::ClassInfo);
        EXPECT_EQ(list.ClassList()[1]->GraphicClass, &TIcon::ClassInfo);
        EXPECT_EQ(list.ClassList()[2]->GraphicClass, &TMetafile::ClassInfo);
        EXPECT_EQ(list.ClassList()[3]->GraphicClass, &TJPEGImage::ClassInfo);
        EXPECT_EQ(list.ClassList()[0]->ExtensionCount, 3);
        EXPECT_EQ(list.ClassList()[3]->Description, "JPG images");
        // Every class after them is a reader with a content test.
        for (std::size_t i = 4; i < list.ClassList().size(); ++i)
            EXPECT_TRUE(list.ClassList()[i]->GraphicClass->InheritsFrom(ZOdidoreVuZazador::ClassInfo));
        auto description = [&](const char* ext) {
            for (const auto& f : loader.Formats())
                if (f.Extension == ext)
                    return f.Description;
            return std::string("(none)");
        };
        EXPECT_EQ(description("vst"), "Truevision images");
        EXPECT_EQ(description("jpg"), "JPG images");
        EXPECT_EQ(description("emf"), "Windows enhanced meta files");
        EXPECT_EQ(description("wmf"), "Windows metafiles");
        EXPECT_EQ(description("dib"), "Device independant Windows bitmaps");
        EXPECT_EQ(loader.ClassForExtension("rle"), &TBitmap::ClassInfo);
        EXPECT_EQ(list.ClassList()[4]->GraphicClass, &TTargaGraphic::ClassInfo);
        // Content detection never names the platform's classes.
        EXPECT_EQ(list.ClassForContent(test::Fixture("photo.jpg")), nullptr);
        EXPECT_EQ(list.ClassForContent(test::Fixture("rgba.ico")), nullptr);

        UnregisterImageFormats(list);
        // What remains: the platform's classes without "rle" and "dib".
        ASSERT_EQ(list.ClassList().size(), 4u + (list.IndexOfExtension("eps") >= 0 ? 1u : 0u));
        EXPECT_EQ(list.IndexOfExtension("rle"), -1);
        EXPECT_EQ(list.IndexOfExtension("bmp"), 0);
        // TBitmap keeps "bmp", so the loader keeps all of its extensions.
        EXPECT_EQ(loader.ClassForExtension("rle"), &TBitmap::ClassInfo);
        EXPECT_EQ(loader.ClassForExtension("bmp"), &TBitmap::ClassInfo);
        EXPECT_EQ(loader.ClassForExtension("png"), nullptr);
    }
    // Destroying the registry unregisters the rest.
    EXPECT_TRUE(loader.Formats().empty());
}

TEST(ImageFormats, LibraryScopeOwnsTheProcessRegistry)
{
    EXPECT_EQ(ImageFormatList, nullptr);
    {
        const TImageLibrary library;
        ASSERT_NE(ImageFormatList, nullptr);
        EXPECT_EQ(TPicture::FileFormats().ClassForExtension("JPG"), &TJPEGImage::ClassInfo);
        TPicture picture;
        picture.LoadFromFile(test::Fixture("masked.ico"));
        EXPECT_EQ(picture.Graphic()->GetWidth(), 4u);
        picture.LoadFromFile(test::Fixture("png-only.ico"));
        EXPECT_EQ(picture.Graphic()->GetWidth(), 8u);
    }
    EXPECT_EQ(ImageFormatList, nullptr);
    EXPECT_TRUE(TPicture::FileFormats().Formats().empty());
}

} // namespace
} // namespace vidlark
