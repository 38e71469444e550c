#include "imaging/Picture.h"

#include "imaging/GraphicErrors.h"

#include <algorithm>

namespace vidlark {

std::string LowerAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

void TPictureFormats::RegisterFileFormat(std::string_view extension, std::string_view description,
                                         TGraphicClass graphicClass)
{
    Table.push_back(TPictureFileFormat{LowerAscii(extension), std::string(description), graphicClass});
}

void TPictureFormats::UnregisterGraphicClass(TGraphicClass graphicClass)
{
    std::erase_if(Table, [graphicClass](const TPictureFileFormat& f) {
        return f.GraphicClass && graphicClass && f.GraphicClass->InheritsFrom(*graphicClass);
    });
}

TGraphicClass TPictureFormats::ClassForExtension(std::string_view extension) const
{
    const std::string wanted = LowerAscii(extension);
    for (auto it = Table.rbegin(); it != Table.rend(); ++it)
        if (it->Extension == wanted)
            return it->GraphicClass;
    return nullptr;
}

TPictureFormats& TPicture::FileFormats()
{
    static TPictureFormats formats;
    return formats;
}

void TPicture::LoadFromFile(const std::filesystem::path& fileName)
{
    std::string extension = fileName.extension().string();
    if (!extension.empty() && extension.front() == '.')
        extension.erase(0, 1);
    const TGraphicClass graphicClass = Formats.ClassForExtension(extension);
    if (!graphicClass || !graphicClass->Create)
        RaiseGraphicErrorFmt(gesUnknownExtension, {extension});
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->LoadFromFile(fileName);
    Current = std::move(graphic);
}

} // namespace vidlark
