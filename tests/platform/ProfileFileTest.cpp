#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include <string>

namespace vidlark {
namespace {

TEST(ProfileFileRead, SectionsAndKeysMatchWithoutRegardToCase)
{
    const auto ini = TProfileFile::FromBytes("[drive]\nDRV=e:\\\n[Directory]\ndirno = 5 \n");
    EXPECT_EQ(ini.ReadString("Drive", "Drv", "C"), "e:\\");
    EXPECT_EQ(ini.ReadInteger("DIRECTORY", "DirNo", 0), 5);
}

TEST(ProfileFileRead, MissingKeyReadsDefaultAndEmptyValueReadsEmpty)
{
    const auto ini = TProfileFile::FromBytes("[Directory]\nDir3=\nDir4\n[Other]\nDir5=x\n");
    EXPECT_EQ(ini.ReadString("Directory", "Dir3", "default"), "");
    EXPECT_EQ(ini.ReadString("Directory", "Dir4", "default"), "default"); // no "=": not a key
    EXPECT_EQ(ini.ReadString("Directory", "Dir5", "default"), "default"); // other section
    EXPECT_EQ(ini.ReadString("Nowhere", "Dir", "default"), "default");
}

TEST(ProfileFileRead, KeysBeforeAnySectionBelongToNone)
{
    const auto ini = TProfileFile::FromBytes("Drv=E:\\\n[Drive]\n");
    EXPECT_EQ(ini.ReadString("Drive", "Drv", "C"), "C");
}

TEST(ProfileFileRead, ValuesAreCutAt2047Bytes)
{
    const std::string longValue(100000, 'x');
    const auto ini = TProfileFile::FromBytes("[Directory]\nDir=" + longValue + "\n");
    EXPECT_EQ(ini.ReadString("Directory", "Dir", ""), std::string(2047, 'x'));
}

TEST(ProfileFileRead, CutDoesNotSplitACharacter)
{
    // 2046 ASCII bytes, then a three-byte character that would straddle the limit.
    const std::string value = std::string(2046, 'a') + "動";
    const auto ini = TProfileFile::FromBytes("[S]\nK=" + value + "\n");
    EXPECT_EQ(ini.ReadString("S", "K", ""), std::string(2046, 'a'));
}

TEST(ProfileFileRead, IntegersInDecimalOrHexElseDefault)
{
    const auto ini = TProfileFile::FromBytes(
        "[N]\ndec=-1\nhex=0x1F\nHEX=0XFFFFFFFF\nletters=abc\ntrailing=12ab\nhuge=99999999999\nempty=\nplus=+7\nsigns=+-7\nsign=+\n");
    EXPECT_EQ(ini.ReadInteger("N", "dec", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "letters", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "trailing", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "huge", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "empty", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "plus", 4), 7);
    EXPECT_EQ(ini.ReadInteger("N", "signs", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "sign", 4), 4);
}

TEST(ProfileFileWrite, NewFileGetsSectionsInWriteOrder)
{
    TProfileFile ini;
    ini.WriteString("Drive", "Drv", "C:\\");
    ini.WriteString("Directory", "Dir", "A\\");
    ini.WriteInteger("Directory", "DirNo", 3);
    EXPECT_EQ(ini.ToBytes(), "[Drive]\nDrv=C:\\\n[Directory]\nDir=A\\\nDirNo=3\n");
}

TEST(ProfileFileWrite, ReplacesInPlaceAndKeepsUnknownLines)
{
    auto ini = TProfileFile::FromBytes("; my notes\r\n[Directory]\r\nfoo bar\r\ndirno=7\r\nExtra=1\r\n\r\n[Drive]\r\nDrv=E:\\\r\n");
    ini.WriteInteger("Directory", "DirNo", 2);
    EXPECT_EQ(ini.ToBytes(), "; my notes\n[Directory]\nfoo bar\nDirNo=2\nExtra=1\n\n[Drive]\nDrv=E:\\\n");
}

TEST(ProfileFileWrite, MissingKeyGoesToTheEndOfItsSection)
{
    auto ini = TProfileFile::FromBytes("[Directory]\nDir=a\\\n\n[Drive]\nDrv=C:\\\n");
    ini.WriteString("Directory", "AVCDir", "b\\");
    ini.WriteString("Other", "Key", "v");
    EXPECT_EQ(ini.ToBytes(), "[Directory]\nDir=a\\\nAVCDir=b\\\n\n[Drive]\nDrv=C:\\\n[Other]\nKey=v\n");
}

TEST(ProfileFileText, ShiftJisIsReadWhenTheBytesAreNotUtf8)
{
    // "動画\" in CP932.
    const auto ini = TProfileFile::FromBytes("[Directory]\nDir=\x93\xae\x89\xe6\\\n");
    EXPECT_EQ(ini.ReadString("Directory", "Dir", ""), "動画\\");
}

TEST(ProfileFileText, Utf8AndItsByteOrderMarkAreRead)
{
    const auto ini = TProfileFile::FromBytes("\xEF\xBB\xBF[Directory]\nDir=動画\\\n");
    EXPECT_EQ(ini.ReadString("Directory", "Dir", ""), "動画\\");
}

TEST(ProfileFileText, BinaryGarbageGivesDefaultsAndValidUtf8)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    auto ini = TProfileFile::FromBytes(garbage);
    EXPECT_EQ(ini.ReadString("Drive", "Drv", "C"), "C");
    ini.WriteString("Drive", "Drv", "C:\\");
    const std::string out = ini.ToBytes();
    EXPECT_EQ(ProfileTextToUtf8(out), out); // what is written back is valid UTF-8
    EXPECT_EQ(TProfileFile::FromBytes(out).ReadString("Drive", "Drv", ""), "C:\\");
}

} // namespace
} // namespace vidlark
