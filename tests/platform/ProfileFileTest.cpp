#include "platform/ProfileFile.h"
#include "platform/SysUtils.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadText(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    std::stringstream Buffer;
    Buffer << In.rdbuf();
    return Buffer.str();
}

std::vector<uint8_t> Bytes(const std::string& Text) { return {Text.begin(), Text.end()}; }

} // namespace

TEST(ProfileFile, KeysAreReadInFileOrderWithNamesMatchedWithoutCase)
{
    TTempDir Dir;
    const std::string Path = Dir.Write("list.dpp",
        Bytes("[playlist]\r\nNAME = Wieczór \r\n\r\n[FILES]\r\nItem2=c.mid\r\nitem0=a.mid\r\n; a comment\r\nItem1=\"b.mid\"\r\n"
              "[Other]\r\nItem9=x\r\n"));
    const TProfileFile File(Path);
    EXPECT_EQ(File.ReadString("PlayList", "Name", "?"), "Wieczór");
    EXPECT_EQ(File.ReadKeys("Files"), (std::vector<std::string>{"Item2", "item0", "Item1"}));
    EXPECT_EQ(File.ReadString("files", "ITEM1", ""), "b.mid");
    EXPECT_EQ(File.ReadString("Files", "Item7", "none"), "none");
    EXPECT_EQ(File.ReadKeys("Missing"), std::vector<std::string>{});
}

TEST(ProfileFile, ValuesAndKeyNamesHaveTheirLimits)
{
    TTempDir Dir;
    std::string Contents = "[Files]\r\nLong=" + std::string(3000, 'x') + "\r\n";
    // 2,100 names of 7 bytes and a zero each: after "Long", 2,047 of them fill the
    // 16,384-byte block but for the zero that ends it.
    for (int I = 0; I < 2100; ++I)
        Contents += "Key" + std::to_string(1000 + I) + "=v\r\n";
    const TProfileFile File(Dir.Write("big.dpp", Bytes(Contents)));
    EXPECT_EQ(File.ReadString("Files", "Long", "").size(), TProfileFile::MaxValueLength);
    const auto Keys = File.ReadKeys("Files");
    EXPECT_EQ(Keys.size(), 2048u); // 5 + 2047 * 8 = 16,381 bytes
    EXPECT_EQ(Keys.back(), "Key3046");
}

TEST(ProfileFile, AWindows1250FileKeepsItsPolishLetters)
{
    TTempDir Dir;
    // "Żółć" and "Łódź" in Windows-1250.
    const std::string Path = Dir.Write("pl.dpp",
        Bytes("[PlayList]\r\nName=\xAF\xF3\xB3\xE6\r\n[Files]\r\nItem0=C:\\Muzyka\\\xA3\xF3\x64\x9F.mid\r\n"));
    const TProfileFile File(Path);
    EXPECT_EQ(File.ReadString("PlayList", "Name", ""), "Żółć");
    EXPECT_EQ(File.ReadString("Files", "Item0", ""), "C:\\Muzyka\\Łódź.mid");
}

TEST(ProfileFile, UpdatesInPlaceKeepingOtherSectionsAndKeys)
{
    TTempDir Dir;
    const std::string Path = Dir.Write("old.dpp",
        Bytes("[Extra]\r\nColour=blue\r\n[PlayList]\r\nName=Stara\r\nOwner=Ala\r\n[Files]\r\nItem0=x.mid\r\nItem5=y.mid\r\n"));
    TProfileFile File(Path);
    File.WriteString("PlayList", "Name", "Nowa");
    File.EraseSection("Files");
    File.WriteString("Files", "Item0", "a.mid");
    File.WriteString("Files", "Item1", "b.mid");
    File.WriteString("Files", "Item2", "ü/中.mid");
    File.Save();
    EXPECT_EQ(ReadText(Path), "[Extra]\r\nColour=blue\r\n[PlayList]\r\nName=Nowa\r\nOwner=Ala\r\n"
                              "[Files]\r\nItem0=a.mid\r\nItem1=b.mid\r\nItem2=ü/中.mid\r\n");
    EXPECT_EQ(TProfileFile(Path).ReadString("Files", "Item2", ""), "ü/中.mid");
}

TEST(ProfileFile, ANewFileHasThePlayListSectionFirst)
{
    TTempDir Dir;
    const std::string Path = (Dir.Path() / "new.dpp").string();
    TProfileFile File(Path);
    File.WriteString("PlayList", "Name", "Lista");
    File.EraseSection("Files");
    File.WriteString("Files", "Item0", "a.mid");
    File.Save();
    EXPECT_EQ(ReadText(Path), "[PlayList]\r\nName=Lista\r\n[Files]\r\nItem0=a.mid\r\n");
}

TEST(ProfileFile, AFileThatCannotBeWrittenIsReportedAndTheOldOneStays)
{
    TTempDir Dir;
    const std::string Path = (Dir.Path() / "no-such-folder" / "list.dpp").string();
    TProfileFile File(Path);
    File.WriteString("PlayList", "Name", "x");
    try {
        File.Save();
        FAIL() << "saved";
    } catch (const Exception& Error) {
        EXPECT_EQ(std::string(Error.what()), "Unable to write to " + Path);
    }
}
