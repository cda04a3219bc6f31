#include "cmpRiffStream.h"

#include "SmfBytes.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TRiffStream> RiffOver(const TBytes& Bytes)
{
    return std::make_unique<TRiffStream>(std::make_unique<TMemoryStream>(Bytes.data(), static_cast<int64_t>(Bytes.size())));
}

std::string DescendError(TRiffStream& Riff, const std::string& Name, TRiffSearch Search)
{
    try {
        Riff.Descend(Name, Search);
    } catch (const Exception& Error) {
        return Error.what();
    }
    return "entered";
}

} // namespace

TEST(RiffStream, FindsTheFirstRiffChunkThenTheDataChunkPastPaddedChunks)
{
    const TBytes File = Concat({RiffChunk("JUNK", {1, 2, 3}),
        Riff("ABCD", Concat({RiffChunk("odd ", {9, 9, 9}), RiffChunk("data", {0x42, 0x43})}))});
    auto Riff = RiffOver(File);
    Riff->Descend("RMID", TRiffSearch::rsFindRiff);
    EXPECT_EQ(Riff->Position(), 12 + 12); // after JUNK (8 + 3 + pad) and the RIFF header with form type
    Riff->Descend("data", TRiffSearch::rsFindChunk);
    uint8_t Bytes[2];
    Riff->ReadBuffer(Bytes, 2);
    EXPECT_EQ(Bytes[0], 0x42);
    EXPECT_EQ(Bytes[1], 0x43);
    ASSERT_EQ(Riff->Chunks().size(), 2u);
    EXPECT_EQ(Riff->Chunks()[1].Chunk.Size, 2u);
}

TEST(RiffStream, SearchesFailWithTheNameInTheMessage)
{
    auto NoRiff = RiffOver(RiffChunk("JUNK", {1, 2}));
    EXPECT_EQ(DescendError(*NoRiff, "RMID", TRiffSearch::rsFindRiff), "Unable to descend into RMID");

    // A "data" chunk after the end of the RIFF chunk is not inside it.
    auto Outside = RiffOver(Concat({Riff("RMID", RiffChunk("fmt ", {1, 2})), RiffChunk("data", {1, 2})}));
    Outside->Descend("RMID", TRiffSearch::rsFindRiff);
    EXPECT_EQ(DescendError(*Outside, "data", TRiffSearch::rsFindChunk), "Unable to descend into data");

    auto Truncated = RiffOver({'R', 'I', 'F', 'F', 4, 0});
    EXPECT_EQ(DescendError(*Truncated, "RMID", TRiffSearch::rsFindRiff), "Unable to descend into RMID");
}

TEST(RiffStream, FileThatCannotBeOpenedRaisesUnableToOpen)
{
    try {
        TRiffFileStream Riff("/nonexistent/song.rmi", fmOpenRead);
        FAIL() << "opened";
    } catch (const EFOpenError& Error) {
        EXPECT_STREQ(Error.what(), "Unable to open /nonexistent/song.rmi");
    }
}
