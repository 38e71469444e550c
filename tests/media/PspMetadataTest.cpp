#include "media/FileOpenError.h"
#include "media/Mp4File.h"
#include "media/PspMetadata.h"
#include "tests/media/Mp4Bytes.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vidlark::test {
namespace {

class PspMetadataTest : public ::testing::Test {
protected:
    std::string Title(const TBytes& bytes)
    {
        const auto file = Folder.Write("clip.mp4", bytes);
        return ReadPspTitle(file, file.string());
    }
    TVideoProfile Profile(const TBytes& bytes)
    {
        const auto file = Folder.Write("clip.mp4", bytes);
        TVideoProfile profile;
        ReadVideoProfile(file, file.string(), profile);
        return profile;
    }
    TTempFolder Folder;
};

TEST_F(PspMetadataTest, JapaneseTitleEntryIsFoundBehindOthers)
{
    const TBytes entries = MtdtEntry(English, u"An English title") + MtdtEntry(Japanese, u"日本語のタイトル") +
                           MtdtEntry(Japanese, u"second");
    EXPECT_EQ(Title(Ftyp() + Box("mdat", "xxxx") + MoovWithUuid(Mtdt(entries))), "日本語のタイトル");
}

TEST_F(PspMetadataTest, OnlyAnEnglishTitleReadsEmpty)
{
    EXPECT_EQ(Title(Ftyp() + MoovWithUuid(Mtdt(MtdtEntry(English, u"Holiday")))), "");
}

TEST_F(PspMetadataTest, TitleEndsAtZeroUnitOrEntryEndOrAfter125Units)
{
    std::u16string long200(200, u'a');
    for (std::size_t i = 0; i < long200.size(); ++i)
        long200[i] = static_cast<char16_t>(u'A' + i % 26);
    EXPECT_EQ(Title(MoovWithUuid(Mtdt(MtdtEntry(Japanese, long200, false)))),
              std::string(long200.begin(), long200.begin() + 125));

    // The entry ends without a zero unit; the next entry's bytes are not text.
    EXPECT_EQ(Title(MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"no zero", false) + MtdtEntry(English, u"next")))),
              "no zero");

    EXPECT_EQ(Title(MoovWithUuid(Mtdt(MtdtEntry(Japanese, std::u16string(u"cut\0here", 8))))), "cut");
}

TEST_F(PspMetadataTest, SurrogatePairsAreJoinedAndBrokenOnesReplaced)
{
    EXPECT_EQ(Title(MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"A\U0001F600B")))), "A\xF0\x9F\x98\x80" "B");
    const std::u16string broken = {u'x', char16_t(0xD83D), u'y', char16_t(0xDE00)};
    EXPECT_EQ(Title(MoovWithUuid(Mtdt(MtdtEntry(Japanese, broken)))), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST_F(PspMetadataTest, TitleNeedsMtdtFirstInTheFirstUuidOfMoov)
{
    const TBytes mtdt = Mtdt(MtdtEntry(Japanese, u"title"));
    EXPECT_EQ(Title(MoovWithUuid(Box("free", "") + mtdt)), "");
    // Only the first uuid child of moov is looked at.
    EXPECT_EQ(Title(Box("moov", Box("uuid", Uuid() + Box("free", "")) + Box("uuid", Uuid() + mtdt))), "");
    // A uuid outside moov does not count.
    EXPECT_EQ(Title(Box("uuid", Uuid() + mtdt) + Box("moov", Box("mvhd", ""))), "");
}

TEST_F(PspMetadataTest, ProfileFieldsAreDecoded)
{
    const TVideoProfile profile = Profile(Ftyp() + ProfileUuid(Box("FPRF", TBytes(12, '\0')) + Vprf({})));
    EXPECT_EQ(profile.Codec, "MP4V");
    EXPECT_EQ(profile.BitRate, 768);
    EXPECT_FLOAT_EQ(profile.FrameRate, 30.0f);
    EXPECT_EQ(profile.FrameWidth, 480);
    EXPECT_EQ(profile.FrameHeight, 272);

    TVprfFields avc;
    avc.Codec = std::string("av\0c", 4);
    avc.FrameRate = 0x001DF853;  // 29.97 as the device stores it
    avc.BitRate = 0xFFFFFFFF;
    const TVideoProfile cut = Profile(ProfileUuid(Vprf(avc)));
    EXPECT_EQ(cut.Codec, "AV");
    EXPECT_NEAR(cut.FrameRate, 29.97f, 0.0001f);
    EXPECT_EQ(cut.BitRate, -1);
}

TEST_F(PspMetadataTest, OnlyTheFirstTopLevelUuidHoldsTheProfile)
{
    EXPECT_EQ(Profile(ProfileUuid(Box("APRF", "")) + ProfileUuid(Vprf({}))), TVideoProfile());
    EXPECT_EQ(Profile(Box("free", "") + ProfileUuid(Vprf({}))).Codec, "MP4V");
}

TEST_F(PspMetadataTest, ShortFilesAndStoppingSizesGiveEmptyResults)
{
    const TBytes full = Ftyp() + ProfileUuid(Vprf({})) + MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"title")));
    ASSERT_EQ(Title(full), "title");
    ASSERT_EQ(Profile(full).Codec, "MP4V");

    for (const TBytes& bytes : {TBytes(), TBytes("\0\0\0\x08moo", 7)}) {
        EXPECT_EQ(Title(bytes), "");
        EXPECT_EQ(Profile(bytes), TVideoProfile());
    }
    // Size 0 (to the end of the file), 1 (64-bit size follows) and 2^31 or
    // more all stop the walk before the boxes behind them.
    for (const std::uint32_t size : {0u, 1u, 0x80000000u, 0xFFFFFFF0u}) {
        const TBytes stopped = BoxHeader(size, "free") + full;
        EXPECT_EQ(Title(stopped), "") << size;
        EXPECT_EQ(Profile(stopped), TVideoProfile()) << size;
    }
    // A sought box is found even when its own size is below 8.
    EXPECT_EQ(Profile(Ftyp() + BoxHeader(0, "uuid") + Uuid() + TBytes(8, '\0') + Vprf({})).Codec, "MP4V");
}

TEST_F(PspMetadataTest, BoxesPastTheirParentOrTheFileAreNotRead)
{
    // A size pointing past the end of the file ends the walk.
    EXPECT_EQ(Title(BoxHeader(1000, "free") + MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"t")))), "");
    // The VPRF box lies behind the end of its uuid parent.
    const TBytes vprf = Vprf({});
    EXPECT_EQ(Profile(Box("uuid", Uuid() + TBytes(8, '\0') + Box("free", "")) + vprf), TVideoProfile());
    // The title entry lies behind the end of the MTDT box.
    const TBytes english = MtdtEntry(English, u"e");
    const TBytes mtdt = Box("MTDT", U16(1) + english) + MtdtEntry(Japanese, u"behind");
    EXPECT_EQ(Title(MoovWithUuid(mtdt)), "");
}

TEST_F(PspMetadataTest, ProfileCutShortKeepsTheUnreadFieldsEmpty)
{
    const TBytes whole = ProfileUuid(Vprf({}));
    // Cut inside the frame-rate field: codec and bit rate are there, the rest is not.
    const TVideoProfile cut = Profile(whole.substr(0, 32 + 38));
    EXPECT_EQ(cut.Codec, "MP4V");
    EXPECT_EQ(cut.BitRate, 768);
    EXPECT_EQ(cut.FrameRate, 0.0f);
    EXPECT_EQ(cut.FrameWidth, 0);
    EXPECT_EQ(cut.FrameHeight, 0);
    // Cut inside the height.
    const TVideoProfile almost = Profile(whole.substr(0, whole.size() - 1));
    EXPECT_EQ(almost.FrameWidth, 480);
    EXPECT_EQ(almost.FrameHeight, 0);
}

TEST_F(PspMetadataTest, TitleCutShortKeepsTheUnitsThatAreWhole)
{
    const TBytes whole = MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"abc")));
    // The file ends one byte into the zero unit, then inside the "c".
    EXPECT_EQ(Title(whole.substr(0, whole.size() - 1)), "abc");
    EXPECT_EQ(Title(whole.substr(0, whole.size() - 3)), "ab");
}

TEST_F(PspMetadataTest, AFileThatCannotBeOpenedRaisesTheOpenErrorAfterTheReset)
{
    const auto missing = Folder.Path() / "gone.mp4";
    EXPECT_THROW(ReadPspTitle(missing, "E:\\MP_ROOT\\gone.mp4"), EFileOpenError);
    TVideoProfile profile;
    profile.Codec = "MP4V";
    profile.FrameWidth = 480;
    try {
        ReadVideoProfile(missing, "E:\\MP_ROOT\\gone.mp4", profile);
        FAIL() << "no error";
    } catch (const EFileOpenError& error) {
        EXPECT_STREQ(error.what(), "ファイル E:\\MP_ROOT\\gone.mp4 は開けません");
    }
    EXPECT_EQ(profile, TVideoProfile());
    EXPECT_THROW(ReadPspTitle(Folder.Path(), "folder"), EFileOpenError);
}

// A file opened elsewhere is read only through its reading function; a
// failed read there is the open error at the start and missing bytes later.
TEST_F(PspMetadataTest, AFileOpenedElsewhereReadsThroughItsFunction)
{
    const TBytes clip = Ftyp() + ProfileUuid(Vprf({})) + Box("mdat", TBytes(40000, 'x')) +
                        MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"遠くの題")));
    int reads = 0;
    int failFrom = 1000;
    const auto readAt = [&](std::int64_t position, std::uint8_t* out, std::size_t count) -> std::int64_t {
        if (++reads >= failFrom)
            return -1;
        const std::size_t got = std::min(count, clip.size() - static_cast<std::size_t>(position));
        std::copy_n(clip.data() + position, got, out);
        return static_cast<std::int64_t>(got);
    };
    const auto length = static_cast<std::int64_t>(clip.size());
    TMp4File file(readAt, length, "clip");
    TVideoProfile profile;
    ReadVideoProfile(file, profile);
    EXPECT_EQ(profile.Codec, "MP4V");
    EXPECT_EQ(ReadPspTitle(file), "遠くの題");
    EXPECT_GE(reads, 2); // the title lies past the first window

    reads = 0;
    failFrom = 2;
    TMp4File failingLater(readAt, length, "clip");
    EXPECT_EQ(ReadPspTitle(failingLater), "");
    failFrom = 1;
    EXPECT_THROW(TMp4File(readAt, length, "clip"), EFileOpenError);
    EXPECT_THROW(TMp4File(TMp4File::TReadAt(), length, "clip"), EFileOpenError);
}

TEST_F(PspMetadataTest, PositionsBeyond4GiBAreFollowed)
{
    // Sparse file: three boxes of almost 2 GiB each, then the moov box.
    const auto file = Folder.Path() / "big.mp4";
    constexpr std::int64_t boxSize = 0x7FFFFFF8;
    const TBytes moov = MoovWithUuid(Mtdt(MtdtEntry(Japanese, u"far")));
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 3; ++i) {
            out.seekp(i * boxSize);
            out << BoxHeader(static_cast<std::uint32_t>(boxSize), "free");
        }
        out.seekp(3 * boxSize);
        out << moov;
        if (!out)
            GTEST_SKIP() << "no room for a sparse 6 GiB file here";
    }
    EXPECT_EQ(ReadPspTitle(file, "big"), "far");
}

} // namespace
} // namespace vidlark::test
