#include "unitVirtualMemory.h"

#include <gtest/gtest.h>

#include <vector>

struct TSizeStep {
    int64_t Asked;
    int64_t Expected;
};

// Growth commits at least GrowBy bytes but never beyond Capacity; shrinking is exact.
TEST(VirtualMemoryStream, SetSizeGrowsByAtLeastGrowByWithinCapacity)
{
    TVirtualMemoryStream Stream(10000, 0);
    EXPECT_EQ(Stream.Size(), 0);
    EXPECT_EQ(Stream.GrowBy(), 1024);
    const std::vector<TSizeStep> Steps = {
        {10, 1024}, {2000, 2048}, {9999, 9999}, {10000, 10000}, {300, 300}, {301, 1324}, {0, 0},
    };
    const uint8_t* Block = Stream.Memory();
    for (const TSizeStep& Step : Steps) {
        Stream.SetSize(Step.Asked);
        EXPECT_EQ(Stream.Size(), Step.Expected) << "asked " << Step.Asked;
        EXPECT_EQ(Stream.Memory(), Block) << "the block moved";
    }
}

TEST(VirtualMemoryStream, SizeBeyondCapacityRaisesAndChangesNothing)
{
    TVirtualMemoryStream Stream(10000, 100);
    try {
        Stream.SetSize(10001);
        FAIL() << "no exception";
    } catch (const EVirtualMemory& Error) {
        EXPECT_STREQ(Error.what(), "Size exceeds capacity");
    }
    EXPECT_EQ(Stream.Size(), 100);
}

TEST(VirtualMemoryStream, WriteGrowsShrinkKeepsBytesAndPosition)
{
    TVirtualMemoryStream Stream(8192, 0);
    const std::vector<uint8_t> Bytes(3000, 0x5A);
    Stream.SetPosition(100);
    EXPECT_EQ(Stream.Write(Bytes.data(), 3000), 3000);
    EXPECT_EQ(Stream.Size(), 3100);
    EXPECT_EQ(Stream.Memory()[99], 0); // committed memory starts zeroed
    Stream.SetSize(200);
    EXPECT_EQ(Stream.Position(), 3100);
    EXPECT_EQ(Stream.Memory()[199], 0x5A);
    Stream.SetSize(5000);
    EXPECT_EQ(Stream.Memory()[200], 0); // regrown bytes never show old contents
}
