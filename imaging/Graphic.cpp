#include "imaging/Graphic.h"

#include "imaging/Bitmap.h"

namespace vidlark {

constinit const TGraphicClassInfo TGraphic::ClassInfo{"TGraphic", nullptr, nullptr, nullptr};

bool TGraphicClassInfo::InheritsFrom(const TGraphicClassInfo& ancestor) const
{
    for (const TGraphicClassInfo* c = this; c; c = c->Parent)
        if (c == &ancestor)
            return true;
    return false;
}

bool TGraphicClassInfo::CanReadFile(const std::filesystem::path& fileName) const
{
    TFileStream stream(fileName);
    return CanReadStream && CanReadStream(stream);
}

void TGraphic::LoadFromFile(const std::filesystem::path& fileName)
{
    TFileStream stream(fileName);
    LoadFromStream(stream);
}

void TGraphic::Assign(const TGraphic& source)
{
    RaiseGraphicErrorFmt(gesCannotAssign, {source.ClassType().ClassName, ClassType().ClassName});
}

void TGraphic::AssignTo(TBitmap& target) const
{
    RaiseGraphicErrorFmt(gesCannotAssign, {ClassType().ClassName, target.ClassType().ClassName});
}

void TGraphic::Progress(TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& r,
                        const std::string& msg)
{
    if (OnProgress)
        OnProgress(*this, stage, percentDone, redrawNow, r, msg);
}

} // namespace vidlark
