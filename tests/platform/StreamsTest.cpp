#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include "TempDir.h"

#include <gtest/gtest.h>

TEST(Streams, ShortReadRaisesStreamReadError)
{
    const uint8_t Bytes[3] = {1, 2, 3};
    TMemoryStream Stream(Bytes, 3);
    uint8_t Out[4];
    try {
        Stream.ReadBuffer(Out, 4);
        FAIL() << "no exception";
    } catch (const EReadError& Error) {
        EXPECT_STREQ(Error.what(), "Stream read error");
    }
    Stream.SetPosition(1);
    Stream.ReadBuffer(Out, 2);
    EXPECT_EQ(Out[0], 2);
    EXPECT_EQ(Out[1], 3);
    EXPECT_EQ(Stream.Read(Out, 1), 0);
}

TEST(Streams, MemoryStreamGrowsAsItIsWritten)
{
    TMemoryStream Stream;
    const uint8_t Bytes[2] = {7, 8};
    Stream.SetPosition(4);
    Stream.WriteBuffer(Bytes, 2);
    EXPECT_EQ(Stream.Size(), 6);
    EXPECT_EQ(Stream.Memory()[0], 0);
    EXPECT_EQ(Stream.Memory()[5], 8);
}

TEST(Streams, FileOpenErrorNamesTheFileAndTheSystemsReason)
{
    try {
        TFileStream Stream("/nonexistent/song.mid", fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& Error) {
        EXPECT_EQ(std::string(Error.what()), "Cannot open file \"/nonexistent/song.mid\". No such file or directory");
    }
}

TEST(Streams, FileStreamReadsWritesAndSeeks)
{
    TTempDir Dir;
    const std::string Path = (Dir.Path() / "data.bin").string();
    {
        TFileStream Out(Path, fmCreate);
        Out.WriteBuffer("abcdef", 6);
    }
    TFileStream In(Path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(In.Size(), 6);
    In.SetPosition(2);
    char Text[3] = {};
    In.ReadBuffer(Text, 2);
    EXPECT_STREQ(Text, "cd");
    EXPECT_EQ(In.Position(), 4);
    EXPECT_THROW(In.ReadBuffer(Text, 3), EReadError);
}
