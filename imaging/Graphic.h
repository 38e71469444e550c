#pragma once
// The picture classes' common base and their class references.
//
// A graphic class is named by a TGraphicClass (the address of its class
// record), so the format registry can store classes, create instances of
// them, ask their content test without an instance, and tell a class's
// descendants apart, as a class-reference language would.

#include "imaging/Stream.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vidlark {

class TGraphic;
class TBitmap;

// The class record of a graphic class. Every class defines one, constant
// initialised, as its static member ClassInfo.
struct TGraphicClassInfo {
    std::string_view ClassName;
    const TGraphicClassInfo* Parent = nullptr;
    std::unique_ptr<TGraphic> (*Create)() = nullptr;
    // The class-level content test; none for the platform's own classes.
    bool (*CanReadStream)(TStream& stream) = nullptr;

    // True for this class itself and for its descendants.
    bool InheritsFrom(const TGraphicClassInfo& ancestor) const;
    // Opens the file for reading, answers the content test on it and closes
    // it; EFOpenError when it cannot be opened. False without a content test.
    bool CanReadFile(const std::filesystem::path& fileName) const;
};
using TGraphicClass = const TGraphicClassInfo*;

template <class T>
std::unique_ptr<TGraphic> CreateGraphic()
{
    return std::make_unique<T>();
}

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TProgressStage : std::uint8_t { psStarting = 0, psRunning = 1, psEnding = 2 };

using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, std::uint8_t percentDone,
                                          bool redrawNow, const TRect& r, const std::string& msg)>;

// A picture as 8-bit red, green, blue, alpha samples, rows from the top.
struct TRGBAImage {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint8_t> Pixels; // Width * Height * 4 bytes
};

class TGraphic {
public:
    static const TGraphicClassInfo ClassInfo;

    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual const TGraphicClassInfo& ClassType() const = 0;
    bool InheritsFrom(const TGraphicClassInfo& ancestor) const { return ClassType().InheritsFrom(ancestor); }

    virtual std::uint32_t GetWidth() const = 0;
    virtual std::uint32_t GetHeight() const = 0;
    bool Empty() const { return GetWidth() == 0 || GetHeight() == 0; }

    // Replaces the picture with the one in the stream at its position.
    virtual void LoadFromStream(TStream& stream) = 0;
    // Opens the file for reading for the length of the load and loads from it.
    virtual void LoadFromFile(const std::filesystem::path& fileName);

    // Copies another picture into this one. The base accepts what AssignTo of
    // the source can give; EInvalidGraphic otherwise.
    virtual void Assign(const TGraphic& source);
    // Gives this picture to a bitmap; EInvalidGraphic when it has no image
    // that a bitmap can hold.
    virtual void AssignTo(TBitmap& target) const;

    // The picture as RGBA. keepAlpha false draws it opaque (as the window
    // does); the transparent colour is clear either way while Transparent is on.
    virtual TRGBAImage ToRGBA(bool keepAlpha) const = 0;

    bool Transparent = false;
    TProgressEvent OnProgress;

    // Raises the progress event when a listener is attached.
    void Progress(TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& r,
                  const std::string& msg);

protected:
    TGraphic() = default;
};

} // namespace vidlark
