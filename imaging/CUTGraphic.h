#pragma once
// TCUTGraphic reads Dr. Halo images: 8-bit palette pictures whose rows are
// run-length encoded, with their colours in a palette file of the same name
// and the extension "pal" beside them. The content test never accepts a
// stream: such a file is read only when chosen by its extension.

#include "imaging/ZOdidoreVuZazador.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace vidlark {

class TCUTGraphic : public ZOdidoreVuZazador {
public:
    static const TGraphicClassInfo ClassInfo;
    static constexpr std::string_view FormatName = "CUT";

    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    static bool CanReadStream(TStream& Stream);
    bool ReadProperties(TStream& Stream, std::uint32_t ImageIndex) override;

    // Finds the palette file beside the image (see FindPaletteFile), then
    // loads the image from the file.
    void LoadFromFile(const std::filesystem::path& FileName) override;
    // Takes its colours from PaletteFile when that file exists, else grey.
    void LoadFromStream(TStream& Stream) override;
    // The load itself, with the palette file's contents from a stream of
    // their own, or grey levels when there is none.
    void LoadWithPalette(TStream& Image, TStream* Palette);

    // The palette file of the last load by name; empty when it had none.
    std::filesystem::path PaletteFile;
};

// The palette file of "X.CUT" in the same folder: "X.PAL" (the extension in
// the letter case of the image's), "X.pal", or else any file whose name is
// "X.pal" in some letter case. None when the folder has no such file.
std::optional<std::filesystem::path> FindPaletteFile(const std::filesystem::path& ImageFile);

} // namespace vidlark
