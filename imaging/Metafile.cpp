#include "imaging/Metafile.h"

namespace vidlark {

constinit const TGraphicClassInfo TMetafile::ClassInfo{"TMetafile", &TGraphic::ClassInfo, CreateGraphic<TMetafile>,
                                                       nullptr};

void TMetafile::LoadFromStream(TStream&)
{
    RaiseGraphicError(gesMetafileUnsupported);
}

void TMetafile::Assign(const TGraphic& source)
{
    // Metafiles never hold an image here, so only an empty one is assignable.
    if (!source.InheritsFrom(TMetafile::ClassInfo))
        TGraphic::Assign(source);
}

TRGBAImage TMetafile::ToRGBA(bool) const
{
    return TRGBAImage{};
}

} // namespace vidlark
