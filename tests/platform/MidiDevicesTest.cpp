#include "platform/MidiDevices.h"

#include <gtest/gtest.h>

TEST(MidiDevices, AlsaNamesLoseOnlyTheirClientAndPortNumbers)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"Midi Through:Midi Through Port-0 14:0", "Midi Through:Midi Through Port-0"},
        {"USB Keys:USB Keys MIDI 1 20:0", "USB Keys:USB Keys MIDI 1"},
        {"Synth 128:12", "Synth"},
        {"Synth 1:x", "Synth 1:x"},
        {"Synth 12", "Synth 12"},
        {"Plain", "Plain"},
    };
    for (auto [Raw, Stable] : Cases)
        EXPECT_EQ(AlsaStablePortName(Raw), Stable) << Raw;
}

TEST(MidiDevices, ShortMessageLengthsByStatus)
{
    const std::pair<uint8_t, size_t> Cases[] = {{0x90, 3}, {0xB5, 3}, {0xC3, 2}, {0xDF, 2}, {0xE0, 3}, {0xF1, 2},
        {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF8, 1}, {0xFE, 1}};
    for (auto [Status, Length] : Cases)
        EXPECT_EQ(ShortMessageLength(Status), Length) << int(Status);
}
