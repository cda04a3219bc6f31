// The events of one track in time order, decoded from one MTrk chunk into an
// array of fixed-size records that never moves.
#pragma once

#include "unitMidiGlobals.h"
#include "unitVirtualMemory.h"

#include <cstdint>

class EMidiTrackStream : public Exception {
public:
    using Exception::Exception;
};

class TMidiTrackStream : public TVirtualMemoryStream {
public:
    explicit TMidiTrackStream(int32_t MaxEvents);
    ~TMidiTrackStream() override;

    // Decodes the chunk at the stream's position into this empty track and leaves
    // the stream just after the chunk.
    void LoadFromStream(TStream& Stream);

    int32_t EventCount() const { return FEventCount; }
    // The record at Index, or nullptr outside 0 .. EventCount - 1.
    TTrackEvent* Events(int32_t Index) const;
    TPatchNo Patch() const { return FPatch; }
    TChannel Channel() const { return FChannel; }

    // Stores an event at its place in time order; the track takes over Data.Buffer.
    TTrackEvent* InsertEvent(int32_t Tick, const TEventData& Data, uint16_t DataLength);
    // Stores a meta event whose block is MetaType followed by Length bytes.
    TTrackEvent* InsertMetaEvent(int32_t Tick, uint8_t MetaType, uint16_t Length, const uint8_t* Bytes);

private:
    TTrackEvent* Records() const { return reinterpret_cast<TTrackEvent*>(Memory()); }
    void DecodeInto(const uint8_t* Chunk, uint32_t Length);
    int32_t InsertPlace(int32_t Tick) const;
    bool FinalEventIsEndOfTrack() const;

    int32_t FEventCount = 0;
    TPatchNo FPatch = 0;
    TChannel FChannel = 0;
};
