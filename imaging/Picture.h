#pragma once
// The general picture loader: a table of file formats by extension and a
// picture container that loads a file with the graphic class registered
// for its extension.

#include "imaging/Graphic.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vidlark {

inline constexpr const char* gesUnknownExtension = "Unknown picture file extension (.%s)";

struct TPictureFileFormat {
    std::string Extension; // lower case, without the dot
    std::string Description;
    TGraphicClass GraphicClass = nullptr;
};

// The loader's table. Later registrations of an extension take precedence.
class TPictureFormats {
public:
    // Lower-cases the extension and appends the entry.
    void RegisterFileFormat(std::string_view extension, std::string_view description, TGraphicClass graphicClass);
    // Removes every entry whose class is graphicClass or a descendant of it.
    void UnregisterGraphicClass(TGraphicClass graphicClass);
    // The class of the most recent entry for the extension (any case,
    // without the dot), or none.
    TGraphicClass ClassForExtension(std::string_view extension) const;

    const std::vector<TPictureFileFormat>& Formats() const { return Table; }

private:
    std::vector<TPictureFileFormat> Table;
};

class TPicture {
public:
    // The process's one table, which the image format registry fills.
    static TPictureFormats& FileFormats();

    explicit TPicture(TPictureFormats& formats = FileFormats()) : Formats(formats) {}

    // Creates the graphic of the class registered for the file's extension
    // and loads the file with it. EInvalidGraphic for an unknown extension;
    // the graphic's own errors otherwise. On failure the picture keeps what
    // it had.
    void LoadFromFile(const std::filesystem::path& fileName);

    TGraphic* Graphic() const { return Current.get(); }
    // Hands the loaded graphic over; the picture is empty afterwards.
    std::unique_ptr<TGraphic> TakeGraphic() { return std::move(Current); }
    void Clear() { Current.reset(); }

private:
    TPictureFormats& Formats;
    std::unique_ptr<TGraphic> Current;
};

// ASCII lower case, as extensions are compared.
std::string LowerAscii(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);

} // namespace vidlark
