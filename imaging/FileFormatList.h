#pragma once
// TFileFormatList, the registry of picture file formats: for each extension
// the graphic class that reads it and a description, for each class a
// common description. It feeds the general picture loader and names the
// reader class that accepts a file's content.

#include "imaging/Graphic.h"
#include "imaging/Picture.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vidlark {

// Kind flags of a format, a set held in one byte. Stored, never consulted.
enum TFormatKind : std::uint8_t {
    fkLayered = 2,
    fkMultiImage = 4,
    fkRaster = 8,
    fkVector = 16,
};
using TFormatKinds = std::uint8_t;

struct TFormatClassEntry {
    TGraphicClass GraphicClass = nullptr;
    std::string Description;
    std::int32_t ExtensionCount = 0;
};

struct TFormatExtensionEntry {
    std::string Extension; // as registered; compared without regard to case
    std::string Description;
    TFormatKinds Kinds = 0;
    TFormatClassEntry* ClassEntry = nullptr; // not owned
};

class TFileFormatList {
public:
    // Registers with the given general loader (the process's by default).
    explicit TFileFormatList(TPictureFormats& pictureFormats = TPicture::FileFormats());
    ~TFileFormatList();
    TFileFormatList(const TFileFormatList&) = delete;
    TFileFormatList& operator=(const TFileFormatList&) = delete;

    // EInvalidGraphic "Attempt to register %s twice." for an extension that
    // is registered already, unless allowReplace.
    void AddFormat(std::string_view extension, std::string_view commonDescription,
                   std::string_view individualDescription, TFormatKinds kinds, bool allowReplace,
                   TGraphicClass graphicClass);
    // With an extension: that one extension. With an empty one: the class
    // with all its extensions.
    void RemoveFormat(std::string_view extension, TGraphicClass graphicClass);
    int IndexOfExtension(std::string_view extension) const;
    int IndexOfClass(TGraphicClass graphicClass) const;

    // The first registered reader class whose content test accepts the data
    // at the stream's position, or none; the position is the same afterwards.
    // Classes without a content test (the platform's own) are skipped.
    TGraphicClass ClassForContent(TStream& stream) const;
    // The same for a file, opened for the length of the call; EFOpenError
    // when it cannot be opened.
    TGraphicClass ClassForContent(const std::filesystem::path& fileName) const;

    void ClearFormats();

    const std::vector<std::unique_ptr<TFormatClassEntry>>& ClassList() const { return Classes; }
    const std::vector<std::unique_ptr<TFormatExtensionEntry>>& ExtensionList() const { return Extensions; }

private:
    void Bind(TFormatExtensionEntry& entry, std::string_view commonDescription, TGraphicClass graphicClass);
    void DropClassEntry(const TFormatClassEntry* entry);

    TPictureFormats& PictureFormats;
    std::vector<std::unique_ptr<TFormatClassEntry>> Classes;
    std::vector<std::unique_ptr<TFormatExtensionEntry>> Extensions;
};

} // namespace vidlark
