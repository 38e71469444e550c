#pragma once
// ZOdidoreVuZazador, the common base of every image reader: a bitmap with a
// class-level content test, a header reader that fills TImageProperties, an
// owned colour manager, and the steps of the common load frame.
//
// A reader's LoadFromStream follows the frame:
//
//   BeginLoad(stream, 0, FormatName);     // release, StartPosition, header
//   ReportPreparing();                    // "Preparing..."
//   ... rest of the header, describe source and target to ColorManager ...
//   PrepareBitmap(width, height);         // format from ColorManager, size
//   ReportStageEnd();
//   ReportStageStart(gesTransfering);
//   for each row: decode, ColorManager.TransformRow(..., ScanLine(y), ...);
//                 ReportRowDone(y);
//   ReportStageEnd();
//
// Each reader class defines its own ClassInfo (parent: its base class) and,
// as a static member, its own `static bool CanReadStream(TStream&)`.

#include "imaging/Bitmap.h"
#include "imaging/ColorManager.h"
#include "imaging/ImageProperties.h"
#include "imaging/SampleHelpers.h"

#include <cstdint>
#include <string_view>

namespace vidlark {

class ZOdidoreVuZazador : public TBitmap {
public:
    static const TGraphicClassInfo ClassInfo;

    ZOdidoreVuZazador() = default;
    const TGraphicClassInfo& ClassType() const override { return ClassInfo; }

    // The base recognises no format. A reader's test leaves the stream
    // position where it found it, whatever the answer.
    static bool CanReadStream(TStream& stream);

    // Fills ImageProperties from the header at the stream's position for
    // image number imageIndex, without decoding pixels. The base resets the
    // properties and answers false; readers call it first.
    virtual bool ReadProperties(TStream& stream, std::uint32_t imageIndex);

    // From another reader's graphic its properties come along; from any
    // other picture only the image.
    void Assign(const TGraphic& source) override;

    TColorManager ColorManager;
    TImageProperties ImageProperties;
    // Stream position at which the current load began; offsets inside the
    // file are relative to it.
    std::int64_t StartPosition = 0;
    TStream* CurrentStream = nullptr; // the stream being read, not owned
    TRect ProgressRect;

protected:
    // Steps 1 to 4 of the frame: releases the image, records StartPosition
    // and CurrentStream, reads the header (raising "Cannot load image.
    // Invalid or unexpected <formatName> image format." when ReadProperties
    // answers false) and returns to StartPosition.
    void BeginLoad(TStream& stream, std::uint32_t imageIndex, std::string_view formatName);
    // ProgressRect := (0, 0, ImageProperties.Width, 1) and the "Preparing..."
    // stage opens.
    void ReportPreparing();
    void ReportStageStart(const char* message);
    void ReportStageEnd();
    // Row `row` (from 0) is done: progress row * 100 / Height, then
    // ProgressRect moves down one row.
    void ReportRowDone(std::uint32_t row);
    // Sets the pixel format that ColorManager derives from its target
    // description and the size, after checking the size limits with the
    // reader's message.
    void PrepareBitmap(std::uint32_t width, std::uint32_t height, std::string_view formatName);
};

} // namespace vidlark
