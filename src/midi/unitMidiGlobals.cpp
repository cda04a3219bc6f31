#include "unitMidiGlobals.h"

const uint8_t DataByteCount[16] = {
    0, 0, 0, 0, 0, 0, 0, 0, // data bytes, never a status
    2, 2, 2, 2,             // Note Off, Note On, Polyphonic Pressure, Control Change
    1, 1,                   // Program Change, Channel Pressure
    2,                      // Pitch Bend
    0,                      // system messages are sized by the decoder itself
};
