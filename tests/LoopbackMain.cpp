// Test program entry for everything above the device layer: the loopback
// backend with three outputs and two inputs.
#include "platform/MidiDevicesLoopback.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("BIVOXA_MIDI_API", "loopback", 1);
    LoopbackMidiDevices()->SetDevices({"Synth A", "Synth B", "Synth C"}, {"Keys 1", "Keys 2"});
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
