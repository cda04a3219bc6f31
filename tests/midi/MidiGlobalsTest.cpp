#include "unitMidiGlobals.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MidiGlobals, SwapLongTurnsBigEndianFileNumbersIntoHostNumbers)
{
    EXPECT_EQ(SwapLong(6), 100663296u);
    const uint8_t FileBytes[4] = {0x00, 0x00, 0x01, 0x2C};
    uint32_t Word;
    std::memcpy(&Word, FileBytes, 4);
    EXPECT_EQ(SwapLong(Word), 300u);
}

TEST(MidiGlobals, DataByteCountByStatusNibble)
{
    const uint8_t Expected[16] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 2, 0};
    for (int Nibble = 0; Nibble < 16; ++Nibble)
        EXPECT_EQ(DataByteCount[Nibble], Expected[Nibble]) << "nibble " << Nibble;
}

TEST(MidiGlobals, ProgramChangePacksStatusFirst)
{
    const TEventData Program = MakeShortEvent(0xC3, 5);
    EXPECT_EQ(Program.Data2, 0);
    EXPECT_EQ(PackShortMessage(Program), 0x05C3u);
    EXPECT_EQ(PackShortMessage(MakeShortEvent(0x90, 0x3C, 0x64)), 0x643C90u);
}
