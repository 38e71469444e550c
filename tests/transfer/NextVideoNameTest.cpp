#include "media/FileOpenError.h"
#include "tests/library/LibraryWindowFixture.h"

namespace vidlark::test {
namespace {

class NextVideoName : public LibraryWindowFixture {
protected:
    // The folder listed as the transfer lists it, then the name chosen.
    std::optional<std::string> NameAfterRefresh(const std::string& codec)
    {
        window->DestKind = codec == "MP4V" ? dkMpeg4 : dkAvc;
        window->RefreshLibrary();
        return Name(codec);
    }
    std::optional<std::string> Name(const std::string& codec)
    {
        window->DestStem = "unchanged";
        const bool named = window->NextVideoName(codec);
        EXPECT_EQ(named, window->DestStem != "unchanged");
        return named ? std::optional(window->DestStem) : std::nullopt;
    }
    void PutMpeg4(const std::string& name) { Put(std::string(Mpeg4Folder) + "/" + name, Video(u"v")); }
};

TEST_F(NextVideoName, SuccessiveVideosInOneFolderCountDown)
{
    MakeFolder(Mpeg4Folder);
    Open();
    for (const char* stem : {"M4V09999", "M4V09998", "M4V09997"}) {
        ASSERT_EQ(NameAfterRefresh("MP4V"), std::string("E:\\MP_ROOT\\100MNV01\\") + stem);
        PutMpeg4(std::string(stem) + ".MP4");
    }
}

TEST_F(NextVideoName, OnlyListedVideosOfTheSamePrefixBlockANumberWhateverTheirCase)
{
    PutMpeg4("MAQ09999.MP4");
    PutMpeg4("CLIP.MP4");
    Put(std::string(Mpeg4Folder) + "/M4V09998.THM", "thumbnail alone");
    Open();
    EXPECT_EQ(NameAfterRefresh("MP4V"), "E:\\MP_ROOT\\100MNV01\\M4V09999");
    PutMpeg4("m4v09999.mp4");
    EXPECT_EQ(NameAfterRefresh("MP4V"), "E:\\MP_ROOT\\100MNV01\\M4V09998");
    EXPECT_TRUE(window->IsNameTaken("M4V09999.MP4"));
    EXPECT_FALSE(window->IsNameTaken("m4v09999.mp4"));
    EXPECT_FALSE(window->IsNameTaken("M4V09998.THM"));
}

TEST_F(NextVideoName, AvcVideosGoToTheAvcFolderWithTheirPrefix)
{
    Put(std::string(AvcFolder) + "/MAQ09999.MP4", Video(u"a"));
    Open();
    EXPECT_EQ(NameAfterRefresh("AVC1"), "E:\\MP_ROOT\\101ANV01\\MAQ09998");
    EXPECT_EQ(NameAfterRefresh(""), "E:\\MP_ROOT\\101ANV01\\MAQ09998");
}

TEST_F(NextVideoName, NoNameWithoutACompleteListingOfThatFolder)
{
    PutMpeg4("M4V09999.MP4");
    PutMpeg4("M4V09998.MP4");
    Put(std::string(AvcFolder) + "/MAQ09999.MP4", Video(u"a"));
    auto& w = Open();
    // Nothing listed yet, and an empty list says nothing either.
    EXPECT_FALSE(w.IsNameTaken("M4V09999.MP4"));
    EXPECT_EQ(Name("MP4V"), std::nullopt);
    // The list shows the other video folder.
    w.DestKind = dkAvc;
    w.RefreshLibrary();
    EXPECT_EQ(Name("MP4V"), std::nullopt);
    EXPECT_EQ(Name("AVC1"), "E:\\MP_ROOT\\101ANV01\\MAQ09998");
    // The folder listed was that of another drive.
    w.DriveRoot = "F:\\";
    EXPECT_EQ(Name("AVC1"), std::nullopt);
    w.DriveRoot = "E:\\";

    // Overtaken by a refresh of another folder: its list is not this one's.
    int calls = 0;
    platform.OnProcessMessages = [&] {
        if (++calls == 2) {
            w.DestKind = dkAvc;
            w.RefreshLibrary();
        }
    };
    w.DestKind = dkMpeg4;
    w.RefreshLibrary();
    EXPECT_EQ(Name("MP4V"), std::nullopt);

    // Overtaken by a refresh of the same folder that ran to its end.
    calls = 0;
    platform.OnProcessMessages = [&] {
        if (++calls == 2)
            w.RefreshLibrary();
    };
    w.DestKind = dkMpeg4;
    w.RefreshLibrary();
    EXPECT_EQ(Name("MP4V"), "E:\\MP_ROOT\\100MNV01\\M4V09997");
}

TEST_F(NextVideoName, NoNameAfterAListingEndedByAnOpenError)
{
    PutMpeg4("M4V09999.MP4");
    if (!MakeUnreadable(Put(std::string(Mpeg4Folder) + "/A.MP4", Video(u"locked"))))
        GTEST_SKIP() << "no way to make a file unreadable here";
    Open();
    window->DestKind = dkMpeg4;
    EXPECT_THROW(window->RefreshLibrary(), EFileOpenError);
    // M4V09999.MP4 was never listed: naming now would take its number.
    EXPECT_EQ(Name("MP4V"), std::nullopt);
}

} // namespace
} // namespace vidlark::test
