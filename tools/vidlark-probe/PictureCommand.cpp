// picture FILE [OUT.png]: loads a picture as the thumbnail pane does (the
// reader whose content test accepts it, else the loader chosen by the
// extension), prints what it found and writes it as an RGBA PNG.

#include "tools/vidlark-probe/ProbeCommands.h"

#include "imaging/ImageFormats.h"
#include "imaging/PngWriter.h"
#include "imaging/ZOdidoreVuZazador.h"

#include <array>
#include <exception>
#include <memory>

namespace vidlark::probe {

namespace {

std::string LayoutName(TColorLayout layout)
{
    static constexpr std::array<const char*, 13> Names = {
        "schUnknown", "schIndexed", "schGray", "schGrayAlpha", "schRGB", "schRGBA", "schBGR",
        "schBGRA", "schCMY", "schCMYK", "schCIELab", "schYCbCr", "schPhotoYCC"};
    return layout < Names.size() ? Names[layout] : std::to_string(layout);
}

std::string CompressionName(TPixelCompression compression)
{
    static constexpr std::array<const char*, 23> Names = {
        "cmpUnknown", "cmpNone", "cmpRLE", "cmpPackbits", "cmpLZW", "cmpFax3", "cmpFaxMH", "cmpFax4",
        "cmpFaxMHWord", "cmpDeflate", "cmpJPEG", "cmpOldJPEG", "cmpThunderscan", "cmpNeXT", "cmpIT8CTPAD",
        "cmpIT8LW", "cmpIT8MP", "cmpIT8BL", "cmpPixarFilm", "cmpPixarLog", "cmpDCS", "cmpJBIG", "cmpPCDHuffman"};
    return compression < Names.size() ? Names[compression] : std::to_string(compression);
}

// The reader named by the content, else the picture loaded by extension.
std::unique_ptr<TGraphic> LoadAsThumbnail(const std::string& file)
{
    if (const TGraphicClass readerClass = ImageFormatList->ClassForContent(file)) {
        std::unique_ptr<TGraphic> graphic = readerClass->Create();
        graphic->LoadFromFile(file);
        return graphic;
    }
    TPicture picture;
    picture.LoadFromFile(file);
    return picture.TakeGraphic();
}

} // namespace

int PictureCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty() || arguments.size() > 2) {
        err << "usage: vidlark-probe picture FILE [OUT.png]\n";
        return 2;
    }
    const TImageLibrary library;
    try {
        const std::unique_ptr<TGraphic> graphic = LoadAsThumbnail(arguments[0]);
        out << graphic->ClassType().ClassName << '\t' << graphic->GetWidth() << '\t' << graphic->GetHeight();
        if (graphic->InheritsFrom(ZOdidoreVuZazador::ClassInfo)) {
            const TImageProperties& p = static_cast<const ZOdidoreVuZazador&>(*graphic).ImageProperties;
            out << '\t' << LayoutName(p.Layout) << '\t' << unsigned(p.BitsPerSample) << '\t'
                << unsigned(p.SamplesPerPixel) << '\t' << CompressionName(p.Compression) << '\n';
        } else {
            // The platform's own pictures keep no header record.
            out << "\t-\t-\t-\t-\n";
        }
        if (arguments.size() == 2)
            SavePNGFile(graphic->ToRGBA(true), arguments[1]);
        return 0;
    } catch (const std::exception& error) {
        out.flush();
        err << error.what() << '\n';
        return 1;
    }
}

} // namespace vidlark::probe
