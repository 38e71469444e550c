#include "tools/vidlark-probe/ProbeCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vidlark::probe {
namespace {

const std::string Fixtures = std::string(VIDLARK_SHARED_TEST_DATA) + "/imaging/";

TEST(ProbePictureTest, PrintsOneLineAndWritesAnRgbaPng)
{
    const auto png = std::filesystem::temp_directory_path() / "vidlark-probe-picture-test.png";
    std::ostringstream out, err;
    EXPECT_EQ(PictureCommand({Fixtures + "bmp24.bmp", png.string()}, out, err), 0);
    EXPECT_EQ(out.str(), "TBitmap\t13\t7\t-\t-\t-\t-\n");
    EXPECT_EQ(err.str(), "");
    std::ifstream file(png, std::ios::binary);
    char head[26] = {};
    file.read(head, sizeof head);
    EXPECT_EQ(std::string(head + 1, 3), "PNG");
    EXPECT_EQ(head[19], 13); // width, big-endian
    EXPECT_EQ(head[23], 7);  // height
    EXPECT_EQ(head[24], 8);  // bits per sample
    EXPECT_EQ(head[25], 6);  // RGBA
    std::filesystem::remove(png);

    // A library reader (here found by the extension) reports its header record.
    std::ostringstream targaOut;
    EXPECT_EQ(PictureCommand({std::string(VIDLARK_SHARED_TEST_DATA) + "/targa/im-rgb.tga"}, targaOut, err), 0);
    EXPECT_EQ(targaOut.str(), "TTargaGraphic\t37\t23\tschRGB\t8\t3\tcmpNone\n");

    std::ostringstream jpegOut;
    EXPECT_EQ(PictureCommand({Fixtures + "photo.jpg"}, jpegOut, err), 0);
    EXPECT_EQ(jpegOut.str(), "TJPEGImage\t48\t32\t-\t-\t-\t-\n");
}

TEST(ProbePictureTest, FailedLoadGivesStatusOneAndTheMessage)
{
    std::ostringstream out, err;
    // An icon file whose directory holds no image.
    const std::string empty = (std::filesystem::temp_directory_path() / "vidlark-probe-empty.ico").string();
    std::ofstream(empty, std::ios::binary).write("\0\0\1\0\0\0", 6);
    EXPECT_EQ(PictureCommand({empty}, out, err), 1);
    std::filesystem::remove(empty);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Cannot load image. Invalid or unexpected ICO image format.\n");
    std::ostringstream missing;
    EXPECT_EQ(PictureCommand({Fixtures + "none.bmp"}, out, missing), 1);
    EXPECT_EQ(missing.str(), "ファイル " + Fixtures + "none.bmp は開けません\n");
    EXPECT_EQ(PictureCommand({}, out, err), 2);
}

} // namespace
} // namespace vidlark::probe
