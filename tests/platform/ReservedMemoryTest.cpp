#include "platform/ReservedMemory.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

TEST(ReservedMemory, BlockNeverMovesAndRegrownBytesReadZero)
{
    const size_t Page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    TReservedMemory Memory(10 * Page);
    uint8_t* Base = Memory.Base();
    Memory.SetCommitted(3 * Page + 10);
    std::memset(Base, 0xAB, 3 * Page + 10);

    Memory.SetCommitted(Page + 5); // shrink: whole pages beyond are given back
    EXPECT_EQ(Memory.Base(), Base);
    EXPECT_EQ(Base[Page + 4], 0xAB); // bytes below the new size stay
    Memory.SetCommitted(8 * Page);
    EXPECT_EQ(Memory.Base(), Base);
    for (size_t I = Page + 5; I < 8 * Page; I += 97)
        ASSERT_EQ(Base[I], 0) << "byte " << I;
    EXPECT_EQ(Base[0], 0xAB);
}

TEST(ReservedMemory, CommittingBeyondTheReservationRaises)
{
    TReservedMemory Memory(4096);
    EXPECT_THROW(Memory.SetCommitted(4097), EOutOfResources);
    EXPECT_EQ(Memory.Committed(), 0u);
}
