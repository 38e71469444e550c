#include "imaging/ImageFormats.h"

#include "imaging/AutodeskGraphic.h"
#include "imaging/Bitmap.h"
#include "imaging/CUTGraphic.h"
#include "imaging/EPSGraphic.h"
#include "imaging/GraphicStrings.h"
#include "imaging/Icon.h"
#include "imaging/JPEGImage.h"
#include "imaging/Metafile.h"
#include "imaging/PCDGraphic.h"
#include "imaging/PCXGraphic.h"
#include "imaging/PNGGraphic.h"
#include "imaging/PPMGraphic.h"
#include "imaging/PSDGraphic.h"
#include "imaging/PSPGraphic.h"
#include "imaging/RLAGraphic.h"
#include "imaging/SGIGraphic.h"
#include "imaging/TIFFGraphic.h"
#include "imaging/TargaGraphic.h"

#include <optional>
#include <utility>

namespace vidlark {

TFileFormatList* ImageFormatList = nullptr;

namespace {

enum class TReader { Bitmap, Icon, Metafile, JPEG, Targa, TIFF, EPS, PCX, RLA, SGI, PSD, PPM, Autodesk, PCD, CUT, PSP, PNG };

// The reader classes of this build. A reader joins the registry with its
// line here; the rows below already name its extensions.
constexpr std::pair<TReader, TGraphicClass> ReaderClasses[] = {
    {TReader::Bitmap, &TBitmap::ClassInfo},
    {TReader::Icon, &TIcon::ClassInfo},
    {TReader::Metafile, &TMetafile::ClassInfo},
    {TReader::JPEG, &TJPEGImage::ClassInfo},
    {TReader::Targa, &TTargaGraphic::ClassInfo},
    {TReader::PPM, &TPPMGraphic::ClassInfo},
    {TReader::SGI, &TSGIGraphic::ClassInfo},
    {TReader::TIFF, &TTIFFGraphic::ClassInfo},
    {TReader::EPS, &TEPSGraphic::ClassInfo},
    {TReader::Autodesk, &TAutodeskGraphic::ClassInfo},
    {TReader::CUT, &TCUTGraphic::ClassInfo},
    {TReader::RLA, &TRLAGraphic::ClassInfo},
    {TReader::PCD, &TPCDGraphic::ClassInfo},
    {TReader::PCX, &TPCXGraphic::ClassInfo},
    {TReader::PSD, &TPSDGraphic::ClassInfo},
    {TReader::PNG, &TPNGGraphic::ClassInfo},
    {TReader::PSP, &TPSPGraphic::ClassInfo},
};

TGraphicClass ClassOf(TReader reader)
{
    for (const auto& [r, c] : ReaderClasses)
        if (r == reader)
            return c;
    return nullptr;
}

struct TRegistration {
    const char* Extension;
    TReader Reader;
    const char* Common;
    const char* Own;
    TFormatKinds Kinds;
};

constexpr TRegistration Registrations[] = {
    {"bmp", TReader::Bitmap, gesBitmaps, "", fkRaster},
    {"ico", TReader::Icon, gesIcons, "", fkRaster},
    {"wmf", TReader::Metafile, gesMetaFiles, "", fkVector},
    {"emf", TReader::Metafile, gesMetaFiles, gesEnhancedMetaFiles, fkVector},
    {"jfif", TReader::JPEG, gesJPGImages, gesJFIFImages, fkRaster},
    {"jpg", TReader::JPEG, "", gesJPGImages, fkRaster},
    {"jpe", TReader::JPEG, "", gesJPEImages, fkRaster},
    {"jpeg", TReader::JPEG, "", gesJPEGImages, fkRaster},
    {"rle", TReader::Bitmap, gesBitmaps, gesRLEBitmaps, fkRaster},
    {"dib", TReader::Bitmap, "", gesDIBs, fkRaster},
    {"win", TReader::Targa, gesTruevision, "", fkRaster},
    {"vst", TReader::Targa, "", "", fkRaster},
    {"vda", TReader::Targa, "", "", fkRaster},
    {"tga", TReader::Targa, "", "", fkRaster},
    {"icb", TReader::Targa, "", "", fkRaster},
    {"tiff", TReader::TIFF, gesTIFF, gesMacTIFF, fkRaster | fkMultiImage},
    {"tif", TReader::TIFF, "", gesPCTIF, fkRaster | fkMultiImage},
    {"fax", TReader::TIFF, "", gesGFIFax, fkRaster | fkMultiImage},
    {"eps", TReader::EPS, gesEPS, "", fkRaster},
    {"pcx", TReader::PCX, gesPCX, "", fkRaster},
    {"pcc", TReader::PCX, "", "", fkRaster},
    {"scr", TReader::PCX, "", gesDCX, fkRaster},
    {"rpf", TReader::RLA, gesAliasWaveFront, "", fkRaster},
    {"rla", TReader::RLA, "", "", fkRaster},
    {"sgi", TReader::SGI, gesSGI, gesSGITrueColor, fkRaster},
    {"rgba", TReader::SGI, "", gesSGITrueColorAlpha, fkRaster},
    {"rgb", TReader::SGI, "", gesSGITrueColor, fkRaster},
    {"bw", TReader::SGI, "", gesSGIMono, fkRaster},
    {"psd", TReader::PSD, gesPhotoshop, "", fkRaster | fkLayered},
    {"pdd", TReader::PSD, "", "", fkRaster | fkLayered},
    {"ppm", TReader::PPM, gesPortable, gesPortablePixel, fkRaster},
    {"pgm", TReader::PPM, "", gesPortableGray, fkRaster},
    {"pbm", TReader::PPM, "", gesPortableMono, fkRaster},
    {"pam", TReader::PPM, "", "", fkRaster},
    {"cel", TReader::Autodesk, gesAutodesk, "", fkRaster},
    {"pic", TReader::Autodesk, gesAutodesk, "", fkRaster},
    {"pcd", TReader::PCD, gesKodakPhotoCD, "", fkRaster},
    {"cut", TReader::CUT, gesHalo, "", fkRaster},
    {"psp", TReader::PSP, gesPaintShopPro, "", fkRaster | fkVector},
    {"png", TReader::PNG, gesPortableNetworkGraphic, "", fkRaster},
};
static_assert(std::size(Registrations) == 40);

// The order of removal at the end; the registry's destruction takes what
// is left.
struct TRemoval {
    const char* Extension; // empty: the class with all its extensions
    TReader Reader;
};

constexpr TRemoval Removals[] = {
    {"", TReader::PSP}, {"", TReader::PSD}, {"", TReader::Targa}, {"", TReader::TIFF},
    {"", TReader::SGI}, {"", TReader::PCX}, {"", TReader::Autodesk}, {"", TReader::PCD},
    {"", TReader::PPM}, {"", TReader::CUT}, {"", TReader::RLA}, {"rle", TReader::Bitmap},
    {"dib", TReader::Bitmap}, {"", TReader::PNG},
};

} // namespace

void RegisterImageFormats(TFileFormatList& list)
{
    for (const TRegistration& r : Registrations)
        if (const TGraphicClass c = ClassOf(r.Reader))
            list.AddFormat(r.Extension, r.Common, r.Own, r.Kinds, false, c);
}

void UnregisterImageFormats(TFileFormatList& list)
{
    for (const TRemoval& r : Removals)
        if (const TGraphicClass c = ClassOf(r.Reader))
            list.RemoveFormat(r.Extension, c);
}

TImageLibrary::TImageLibrary() : List(std::make_unique<TFileFormatList>())
{
    RegisterImageFormats(*List);
    ImageFormatList = List.get();
}

TImageLibrary::~TImageLibrary()
{
    UnregisterImageFormats(*List);
    ImageFormatList = nullptr;
    List.reset();
}

} // namespace vidlark
