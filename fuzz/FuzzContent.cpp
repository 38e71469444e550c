// libFuzzer target: the registry's content detection over every registered
// reader, then a load with the class it names. Detection must leave the
// stream where it was.
#include "imaging/ImageFormats.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Huge pictures are legal; converting them only slows the search down.
constexpr std::uint64_t MaxConvertedPixels = 1u << 22;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static vidlark::TPictureFormats loader;
    static vidlark::TFileFormatList* list = [] {
        auto* l = new vidlark::TFileFormatList(loader);
        vidlark::RegisterImageFormats(*l);
        return l;
    }();
    vidlark::TMemoryStream stream(data, size);
    try {
        const vidlark::TGraphicClass found = list->ClassForContent(stream);
        if (stream.GetPosition() != 0)
            std::abort();
        if (found) {
            std::unique_ptr<vidlark::TGraphic> graphic = found->Create();
            graphic->LoadFromStream(stream);
            if (std::uint64_t(graphic->GetWidth()) * graphic->GetHeight() <= MaxConvertedPixels)
                graphic->ToRGBA(true);
        }
    } catch (const vidlark::EGraphicError&) {
    }
    return 0;
}
