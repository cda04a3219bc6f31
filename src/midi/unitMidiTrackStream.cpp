#include "unitMidiTrackStream.h"

#include <cstring>
#include <memory>

namespace {

constexpr uint8_t MetaEndOfTrack = 0x2F;

// Reads bytes of one chunk and refuses to go past its end.
class TChunkReader {
public:
    TChunkReader(const uint8_t* Data, uint32_t Length) : FPos(Data), FEnd(Data + Length) {}

    bool AtEnd() const { return FPos == FEnd; }

    uint8_t Byte()
    {
        if (FPos == FEnd)
            throw EMidiTrackStream("Unexpected end of track chunk");
        return *FPos++;
    }

    // A variable-length quantity; bits beyond 32 are lost.
    uint32_t VarLen()
    {
        uint32_t Value = 0;
        uint8_t B;
        do {
            B = Byte();
            Value = (Value << 7) | (B & 0x7Fu);
        } while (B >= 0x80);
        return Value;
    }

    const uint8_t* Take(uint32_t Count)
    {
        if (Count > static_cast<uint32_t>(FEnd - FPos))
            throw EMidiTrackStream("Unexpected end of track chunk");
        const uint8_t* Start = FPos;
        FPos += Count;
        return Start;
    }

private:
    const uint8_t* FPos;
    const uint8_t* FEnd;
};

struct TDecodedEvent {
    int32_t Tick = 0;
    uint8_t Status = 0;
    uint8_t Data1 = 0;
    uint8_t Data2 = 0;
    bool IsMeta = false;
    uint8_t MetaType = 0;
    const uint8_t* Block = nullptr; // the bytes in the chunk (after the meta type)
    uint32_t BlockLength = 0;
    uint16_t DataLength = 0;
};

// Decodes every event of a chunk and hands each to Sink. Both passes of a load
// run this same routine, so they cannot disagree.
template <class TSink>
void DecodeChunk(const uint8_t* Chunk, uint32_t Length, TSink&& Sink)
{
    TChunkReader Reader(Chunk, Length);
    uint32_t Tick = 0;
    uint8_t RunningStatus = 0;
    bool ContinuationExpected = false;
    while (!Reader.AtEnd()) {
        TDecodedEvent Event;
        Tick += Reader.VarLen(); // wraps in 32 bits
        Event.Tick = static_cast<int32_t>(Tick);
        const uint8_t B = Reader.Byte();
        if (ContinuationExpected && B != 0xF7)
            throw EMidiTrackStream("Error in Sysex");
        const bool NewStatus = B >= 0x80;
        if (!NewStatus && RunningStatus == 0)
            throw EMidiTrackStream("Error in Running Status");
        Event.Status = NewStatus ? B : RunningStatus;

        if (Event.Status < 0xF0) {
            Event.Data1 = NewStatus ? Reader.Byte() : B;
            if (NewStatus)
                RunningStatus = Event.Status;
            if (DataByteCount[Event.Status >> 4] == 2)
                Event.Data2 = Reader.Byte();
        } else if (Event.Status == 0xF0 || Event.Status == 0xF7) {
            Event.BlockLength = Reader.VarLen();
            if (Event.BlockLength > 0xFFFF)
                throw EMidiTrackStream("System exclusive packet too long");
            Event.Block = Reader.Take(Event.BlockLength);
            Event.DataLength = static_cast<uint16_t>(Event.BlockLength);
            ContinuationExpected = Event.BlockLength == 0 || Event.Block[Event.BlockLength - 1] != 0xF7;
        } else if (Event.Status == 0xFF) {
            Event.IsMeta = true;
            Event.MetaType = Reader.Byte();
            Event.BlockLength = Reader.VarLen();
            if (Event.BlockLength >= 0xFFFF)
                throw EMidiTrackStream("Meta event too long");
            Event.Block = Reader.Take(Event.BlockLength);
            Event.DataLength = static_cast<uint16_t>(Event.BlockLength + 1);
        }
        Sink(Event);
    }
}

// The byte block a stored event owns, or nullptr for an empty one.
uint8_t* CopyBlock(const TDecodedEvent& Event)
{
    if (Event.DataLength == 0)
        return nullptr;
    auto* Block = new uint8_t[Event.DataLength];
    uint8_t* Rest = Block;
    if (Event.IsMeta)
        *Rest++ = Event.MetaType;
    if (Event.BlockLength > 0)
        std::memcpy(Rest, Event.Block, Event.BlockLength);
    return Block;
}

} // namespace

TMidiTrackStream::TMidiTrackStream(int32_t MaxEvents)
    : TVirtualMemoryStream(MaxEvents * static_cast<int32_t>(sizeof(TTrackEvent)), 0)
{
}

TMidiTrackStream::~TMidiTrackStream()
{
    for (int32_t I = 0; I < FEventCount; ++I) {
        TTrackEvent* Event = Records() + I;
        if (HasDataBlock(Event->Data.Status))
            delete[] Event->Data.Buffer;
    }
}

TTrackEvent* TMidiTrackStream::Events(int32_t Index) const
{
    if (Index < 0 || Index >= FEventCount)
        return nullptr;
    return Records() + Index;
}

void TMidiTrackStream::LoadFromStream(TStream& Stream)
{
    if (!ReadChunkId(Stream, "MTrk"))
        throw EMidiTrackStream("Invalid track start ID");
    const uint32_t Length = ReadBigEndianLong(Stream);
    // A length beyond what the stream holds would be a short read; refuse it
    // before allocating a buffer for it.
    if (Length > static_cast<uint64_t>(Stream.Size() - Stream.Position()))
        throw EReadError();
    std::unique_ptr<uint8_t[]> Chunk(Length > 0 ? new uint8_t[Length] : nullptr);
    Stream.ReadBuffer(Chunk.get(), static_cast<int32_t>(Length));
    DecodeInto(Chunk.get(), Length);
}

void TMidiTrackStream::DecodeInto(const uint8_t* Chunk, uint32_t Length)
{
    int32_t Count = 0;
    bool SeenProgram = false, SeenChannel = false, SeenEndOfTrack = false;
    int32_t LastTick = 0;
    DecodeChunk(Chunk, Length, [&](const TDecodedEvent& Event) {
        ++Count;
        LastTick = Event.Tick;
        if (Event.Status < 0xF0 && !SeenChannel) {
            FChannel = Event.Status & 0x0F;
            SeenChannel = true;
        }
        if ((Event.Status & 0xF0) == 0xC0 && !SeenProgram) {
            FPatch = Event.Data1;
            SeenProgram = true;
        }
        if (Event.IsMeta && Event.MetaType == MetaEndOfTrack)
            SeenEndOfTrack = true;
    });

    // Sized once, before anything is stored; the count is set only when the room exists.
    SetSize(static_cast<int64_t>(Count) * static_cast<int64_t>(sizeof(TTrackEvent)));
    FEventCount = Count;

    TTrackEvent* Record = Records();
    DecodeChunk(Chunk, Length, [&](const TDecodedEvent& Event) {
        Record->Tick = Event.Tick;
        Record->Data.Status = Event.Status;
        if (HasDataBlock(Event.Status)) {
            Record->Data.Buffer = CopyBlock(Event);
            Record->DataLength = Event.DataLength;
        } else {
            Record->Data.Data1 = Event.Data1;
            Record->Data.Data2 = Event.Data2;
        }
        ++Record;
    });

    if (!SeenEndOfTrack)
        InsertMetaEvent(LastTick, MetaEndOfTrack, 0, nullptr);
}

bool TMidiTrackStream::FinalEventIsEndOfTrack() const
{
    if (FEventCount == 0)
        return false;
    const TTrackEvent* Final = Records() + FEventCount - 1;
    return Final->Data.Status == 0xFF && Final->DataLength > 0 && Final->Data.Buffer[0] == MetaEndOfTrack;
}

// Among equal ticks a new event goes last, but the final event stays final.
int32_t TMidiTrackStream::InsertPlace(int32_t Tick) const
{
    if (FEventCount == 0)
        return 0;
    const TTrackEvent* Events = Records();
    // First event whose tick is greater than Tick.
    int32_t Low = 0, High = FEventCount;
    while (Low < High) {
        const int32_t Middle = Low + (High - Low) / 2;
        if (Events[Middle].Tick <= Tick)
            Low = Middle + 1;
        else
            High = Middle;
    }
    int32_t K;
    if (Low > 0 && Events[Low - 1].Tick == Tick)
        K = Low - 1;
    else if (Low < FEventCount)
        K = Low;
    else
        throw EMidiTrackStream("System error inserting event");
    return (Events[K].Tick == Tick && K != FEventCount - 1) ? K + 1 : K;
}

TTrackEvent* TMidiTrackStream::InsertEvent(int32_t Tick, const TEventData& Data, uint16_t DataLength)
{
    if (FinalEventIsEndOfTrack() && Records()[FEventCount - 1].Tick < Tick)
        Records()[FEventCount - 1].Tick = Tick;
    const int64_t Needed = static_cast<int64_t>(FEventCount + 1) * static_cast<int64_t>(sizeof(TTrackEvent));
    if (Needed > Size())
        SetSize(Needed);
    const int32_t Place = InsertPlace(Tick);
    TTrackEvent* Record = Records() + Place;
    std::memmove(Record + 1, Record, static_cast<size_t>(FEventCount - Place) * sizeof(TTrackEvent));
    std::memset(static_cast<void*>(Record), 0, sizeof(TTrackEvent));
    Record->Tick = Tick;
    Record->DataLength = DataLength;
    Record->Data = Data;
    ++FEventCount;
    return Record;
}

TTrackEvent* TMidiTrackStream::InsertMetaEvent(int32_t Tick, uint8_t MetaType, uint16_t Length, const uint8_t* Bytes)
{
    if (Length == 0xFFFF)
        throw EMidiTrackStream("Meta event too long");
    std::unique_ptr<uint8_t[]> Block(new uint8_t[Length + 1u]);
    Block[0] = MetaType;
    if (Length > 0)
        std::memcpy(Block.get() + 1, Bytes, Length);
    TEventData Data{};
    Data.Status = 0xFF;
    Data.Buffer = Block.get();
    TTrackEvent* Record = InsertEvent(Tick, Data, static_cast<uint16_t>(Length + 1));
    Block.release(); // the track owns it now
    return Record;
}
