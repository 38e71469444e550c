#pragma once
// Helpers shared by the PCX and Photoshop reader tests: byte joins, rows of
// a loaded bitmap, the allocation-checked refusal, and the comparison with
// a public tool's decoding.

#include "imaging/ZOdidoreVuZazador.h"
#include "tests/imaging/ImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vidlark::test {

using Bytes = std::vector<std::uint8_t>;

// A new graphic loaded from Data.
template <typename TGraphicClass>
std::unique_ptr<TGraphicClass> Load(const Bytes& Data)
{
    auto Graphic = std::make_unique<TGraphicClass>();
    TMemoryStream Stream(Data);
    Graphic->LoadFromStream(Stream);
    return Graphic;
}

// Loads Data with a new Graphic and expects the error Message, raised
// before anything the size of the picture was allocated.
template <typename TGraphicClass>
void ExpectRefused(const Bytes& Data, const std::string& Message)
{
    TGraphicClass Graphic;
    TMemoryStream Stream(Data);
    ResetLargestAllocation();
    try {
        Graphic.LoadFromStream(Stream);
        ADD_FAILURE() << "loaded a file of " << Data.size() << " bytes";
    } catch (const EGraphicError& E) {
        EXPECT_EQ(E.what(), Message) << Data.size() << " bytes";
    }
    EXPECT_LT(LargestAllocation(), 4096u) << Data.size() << " bytes";
}

// A file written by a public tool, NAME.EXT, beside NAME.rgba: the tool's
// own decoding. Each sample must come within Tolerance.
struct TReferenceFixture {
    const char* Name;
    TPixelFormat Format;
    int Tolerance = 0;
};

// The test's name: the file's, with '_' for '-'.
inline std::string FixtureTestName(const ::testing::TestParamInfo<TReferenceFixture>& Info)
{
    std::string Name = Info.param.Name;
    for (char& C : Name)
        if (C == '-')
            C = '_';
    return Name;
}

template <typename TGraphicClass>
void ExpectMatchesReference(const std::filesystem::path& Folder, const TReferenceFixture& F, const std::string& Extension)
{
    const std::string Name = F.Name;
    TGraphicClass Graphic;
    Graphic.LoadFromFile(Folder / (Name + Extension));
    EXPECT_EQ(Graphic.GetPixelFormat(), F.Format) << Name;
    const TRGBAImage Image = Graphic.ToRGBA(true);
    const Bytes Expected = ReadFileBytes(Folder / (Name + ".rgba"));
    ASSERT_EQ(Image.Pixels.size(), Expected.size()) << Name;
    for (std::size_t i = 0; i < Expected.size(); ++i)
        ASSERT_LE(std::abs(Image.Pixels[i] - Expected[i]), F.Tolerance)
            << Name << " pixel " << i / 4 % Image.Width << ", " << i / 4 / Image.Width << " sample " << i % 4;
}

} // namespace vidlark::test
