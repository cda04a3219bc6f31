// What every MIDI component shares: the event record, the stored-event record,
// the data-byte table of channel messages and the byte-order routine.
#pragma once

#include <cstdint>

class TStream;

using TChannel = uint8_t; // 0..15, the low nibble of a status byte
using TPatchNo = uint8_t; // 0..127, the program of a Program Change

#pragma pack(push, 1)

// One MIDI event: a status byte followed by either two data bytes (short
// messages) or a reference to a byte block (0xF0, 0xF7 and 0xFF events).
struct TEventData {
    uint8_t Status;
    union {
        uint8_t* Buffer; // first, so that value-initialisation clears the whole payload
        struct {
            uint8_t Data1;
            uint8_t Data2;
        };
    };
};

// One event as a track stores it.
struct TTrackEvent {
    int32_t Tick;        // absolute ticks from the start of the track
    uint16_t DataLength; // bytes in the block of 0xF0, 0xF7 and 0xFF events; 0 otherwise
    TEventData Data;
};

#pragma pack(pop)

static_assert(sizeof(TEventData) == 1 + sizeof(void*), "TEventData must be packed");
static_assert(sizeof(TTrackEvent) == 6 + sizeof(TEventData), "TTrackEvent must be packed");

// Data bytes of a channel message, indexed by the high nibble of its status.
extern const uint8_t DataByteCount[16];

constexpr uint32_t SwapLong(uint32_t Value)
{
    return (Value >> 24) | ((Value >> 8) & 0x0000FF00u) | ((Value << 8) & 0x00FF0000u) | (Value << 24);
}

// True for the statuses whose event carries a byte block.
constexpr bool HasDataBlock(uint8_t Status) { return Status == 0xF0 || Status == 0xF7 || Status == 0xFF; }

// A short message as one word for the device layer: status in the low byte.
inline uint32_t PackShortMessage(const TEventData& Data)
{
    return Data.Status | (static_cast<uint32_t>(Data.Data1) << 8) | (static_cast<uint32_t>(Data.Data2) << 16);
}

inline TEventData MakeShortEvent(uint8_t Status, uint8_t Data1 = 0, uint8_t Data2 = 0)
{
    TEventData Result{};
    Result.Status = Status;
    Result.Data1 = Data1;
    Result.Data2 = Data2;
    return Result;
}

// Reads four bytes and tells whether they are the chunk identifier Id.
bool ReadChunkId(TStream& Stream, const char* Id);
// Reads a big-endian 32-bit number, as chunk lengths are stored.
uint32_t ReadBigEndianLong(TStream& Stream);
