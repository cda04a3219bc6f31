#include "unitMidiGlobals.h"

#include "platform/Streams.h"

#include <cstring>

const uint8_t DataByteCount[16] = {
    0, 0, 0, 0, 0, 0, 0, 0, // data bytes, never a status
    2, 2, 2, 2,             // Note Off, Note On, Polyphonic Pressure, Control Change
    1, 1,                   // Program Change, Channel Pressure
    2,                      // Pitch Bend
    0,                      // system messages are sized by the decoder itself
};

bool ReadChunkId(TStream& Stream, const char* Id)
{
    char Read[4];
    Stream.ReadBuffer(Read, 4);
    return std::memcmp(Read, Id, 4) == 0;
}

uint32_t ReadBigEndianLong(TStream& Stream)
{
    uint32_t Value;
    Stream.ReadBuffer(&Value, 4);
    return SwapLong(Value);
}
