#include "imaging/FileFormatList.h"

#include "imaging/GraphicErrors.h"
#include "imaging/ZOdidoreVuZazador.h"

#include <algorithm>

namespace vidlark {

TFileFormatList::TFileFormatList(TPictureFormats& pictureFormats) : PictureFormats(pictureFormats) {}

TFileFormatList::~TFileFormatList()
{
    ClearFormats();
}

int TFileFormatList::IndexOfExtension(std::string_view extension) const
{
    if (extension.empty())
        return -1;
    for (std::size_t i = 0; i < Extensions.size(); ++i)
        if (SameTextAscii(Extensions[i]->Extension, extension))
            return static_cast<int>(i);
    return -1;
}

int TFileFormatList::IndexOfClass(TGraphicClass graphicClass) const
{
    for (std::size_t i = 0; i < Classes.size(); ++i)
        if (Classes[i]->GraphicClass == graphicClass)
            return static_cast<int>(i);
    return -1;
}

void TFileFormatList::Bind(TFormatExtensionEntry& entry, std::string_view commonDescription,
                           TGraphicClass graphicClass)
{
    const int classIndex = IndexOfClass(graphicClass);
    TFormatClassEntry* classEntry = nullptr;
    if (classIndex < 0) {
        Classes.push_back(std::make_unique<TFormatClassEntry>(TFormatClassEntry{graphicClass, {}, 0}));
        classEntry = Classes.back().get();
    } else {
        classEntry = Classes[static_cast<std::size_t>(classIndex)].get();
    }
    if (!commonDescription.empty())
        classEntry->Description = commonDescription;
    ++classEntry->ExtensionCount;
    entry.ClassEntry = classEntry;
}

void TFileFormatList::DropClassEntry(const TFormatClassEntry* entry)
{
    std::erase_if(Classes, [entry](const auto& c) { return c.get() == entry; });
}

void TFileFormatList::AddFormat(std::string_view extension, std::string_view commonDescription,
                                std::string_view individualDescription, TFormatKinds kinds, bool allowReplace,
                                TGraphicClass graphicClass)
{
    if (extension.empty())
        return;
    const int extensionIndex = IndexOfExtension(extension);
    TFormatExtensionEntry* entry = nullptr;
    if (extensionIndex < 0) {
        Extensions.push_back(std::make_unique<TFormatExtensionEntry>(
            TFormatExtensionEntry{std::string(extension), std::string(individualDescription), kinds, nullptr}));
        entry = Extensions.back().get();
        Bind(*entry, commonDescription, graphicClass);
    } else {
        if (!allowReplace)
            RaiseGraphicErrorFmt(gesRegistration, {extension});
        entry = Extensions[static_cast<std::size_t>(extensionIndex)].get();
        TFormatClassEntry* old = entry->ClassEntry;
        if (old->GraphicClass != graphicClass) {
            Bind(*entry, commonDescription, graphicClass);
            if (--old->ExtensionCount == 0)
                DropClassEntry(old);
        }
    }
    // This call's own description, not the one the entry kept from its first
    // registration.
    const std::string_view description =
        individualDescription.empty() ? std::string_view(entry->ClassEntry->Description) : individualDescription;
    PictureFormats.RegisterFileFormat(extension, description, graphicClass);
}

void TFileFormatList::RemoveFormat(std::string_view extension, TGraphicClass graphicClass)
{
    if (!extension.empty()) {
        const int index = IndexOfExtension(extension);
        if (index < 0)
            return;
        TFormatExtensionEntry* entry = Extensions[static_cast<std::size_t>(index)].get();
        TFormatClassEntry* classEntry = entry->ClassEntry;
        if (--classEntry->ExtensionCount == 0) {
            PictureFormats.UnregisterGraphicClass(classEntry->GraphicClass);
            DropClassEntry(classEntry);
        }
        Extensions.erase(Extensions.begin() + index);
        return;
    }
    const int classIndex = IndexOfClass(graphicClass);
    if (classIndex < 0)
        return;
    TFormatClassEntry* classEntry = Classes[static_cast<std::size_t>(classIndex)].get();
    for (std::size_t i = Extensions.size(); i-- > 0 && classEntry->ExtensionCount > 0;) {
        if (Extensions[i]->ClassEntry == classEntry) {
            Extensions.erase(Extensions.begin() + static_cast<std::ptrdiff_t>(i));
            --classEntry->ExtensionCount;
        }
    }
    PictureFormats.UnregisterGraphicClass(graphicClass);
    DropClassEntry(classEntry);
}

TGraphicClass TFileFormatList::ClassForContent(TStream& stream) const
{
    for (const auto& entry : Classes) {
        const TGraphicClass c = entry->GraphicClass;
        if (!c->InheritsFrom(ZOdidoreVuZazador::ClassInfo) || !c->CanReadStream)
            continue;
        // Every test leaves the position as it found it; the keeper makes
        // sure of that even for a test that fails while reading.
        TStreamPositionKeeper keep(stream);
        if (c->CanReadStream(stream))
            return c;
    }
    return nullptr;
}

TGraphicClass TFileFormatList::ClassForContent(const std::filesystem::path& fileName) const
{
    TFileStream stream(fileName);
    return ClassForContent(stream);
}

void TFileFormatList::ClearFormats()
{
    for (const auto& entry : Classes)
        PictureFormats.UnregisterGraphicClass(entry->GraphicClass);
    Classes.clear();
    Extensions.clear();
}

} // namespace vidlark
