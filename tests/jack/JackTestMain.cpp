// Test program entry for tests against the JACK server that CTest starts.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("BIVOXA_MIDI_API", "jack", 1);
    ::setenv("JACK_DEFAULT_SERVER", BIVOXA_JACK_SERVER, 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
