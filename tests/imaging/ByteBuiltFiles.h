#pragma once
// Small helpers of the tests that build picture files byte by byte: byte
// lists, little- and big-endian fields, a bitmap row as bytes, and the check
// that a load is refused with the reader's own error before anything sized
// by the file is allocated.

#include "imaging/Bitmap.h"
#include "imaging/GraphicErrors.h"
#include "imaging/Stream.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vidlark::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes LE16(unsigned Value) { return {static_cast<std::uint8_t>(Value), static_cast<std::uint8_t>(Value >> 8)}; }
inline Bytes BE16(unsigned Value) { return {static_cast<std::uint8_t>(Value >> 8), static_cast<std::uint8_t>(Value)}; }
inline Bytes BE32(std::uint32_t Value) { return Join({BE16(Value >> 16), BE16(Value & 0xFFFF)}); }

// The progress reports of a graphic, one line each: stage, percent, the
// band's top-bottom/right, message.
struct TProgressLog {
    std::vector<std::string> Reports;
    void Attach(TGraphic& Graphic)
    {
        Graphic.OnProgress = [this](TGraphic&, TProgressStage Stage, std::uint8_t Percent, bool, const TRect& R,
                                    const std::string& Msg) {
            Reports.push_back(std::to_string(int(Stage)) + " " + std::to_string(Percent) + " " +
                              std::to_string(R.Top) + "-" + std::to_string(R.Bottom) + "/" + std::to_string(R.Right) +
                              " " + Msg);
        };
    }
};

// Loads Data into a fresh TGraphicClass and expects the reader's "invalid
// image" error, with no allocation of 64 KiB or more on the way.
template <class TGraphicClass>
void ExpectRefused(const Bytes& Data, const std::string& FormatName)
{
    TGraphicClass Graphic;
    TMemoryStream Stream(Data);
    ResetLargestAllocation();
    try {
        Graphic.LoadFromStream(Stream);
        ADD_FAILURE() << "loaded " << Data.size() << " bytes";
    } catch (const EInvalidGraphic& E) {
        EXPECT_EQ(std::string(E.what()), "Cannot load image. Invalid or unexpected " + FormatName + " image format.");
    }
    EXPECT_LT(LargestAllocation(), 65536u);
    EXPECT_TRUE(Graphic.Empty());
}

} // namespace vidlark::test
