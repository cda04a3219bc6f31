#include "cmpMidiIterator.h"

namespace {

constexpr uint8_t MetaTempo = 0x51;
constexpr uint8_t MetaTimeSignature = 0x58;

// A divisor that cannot be zero: songs with a zero division, tempo or beat
// length still play instead of crashing.
int64_t Divisor(int32_t Value) { return Value != 0 ? Value : 1; }

// Products are formed in 64 bits and truncated toward zero, so that songs of
// several hours convert without overflow.
int32_t MulDiv(int64_t A, int64_t B, int32_t C) { return static_cast<int32_t>(A * B / Divisor(C)); }

bool IsMeta(const TTrackEvent& Event, uint8_t Type, uint16_t MinLength)
{
    return Event.Data.Status == 0xFF && Event.DataLength >= MinLength && Event.Data.Buffer[0] == Type;
}

} // namespace

// --- TMidiPosition ---

TMidiPosition::TMidiPosition(TComponent* Owner) : TComponent(Owner) { ResetPosition(); }

void TMidiPosition::Assign(const TComponent* Source)
{
    const auto* Other = dynamic_cast<const TMidiPosition*>(Source);
    if (Other == nullptr)
        throw EInvalidCast();
    FMidiData = Other->FMidiData;
    FTick = Other->FTick;
    FTime = Other->FTime;
    FPPQN = Other->FPPQN;
    FTempo = Other->FTempo;
    FTempoTick = Other->FTempoTick;
    FTempoTime = Other->FTempoTime;
    FDenominator = Other->FDenominator;
    FNumerator = Other->FNumerator;
    FMeterTick = Other->FMeterTick;
    FMeterBar = Other->FMeterBar;
    FTicksPerBar = Other->FTicksPerBar;
    FTicksPerBeat = Other->FTicksPerBeat;
    FBar = Other->FBar;
    FBeat = Other->FBeat;
    FBeatTick = Other->FBeatTick;
    FMapCursor = Other->FMapCursor;
}

void TMidiPosition::SetMidiData(TMidiData* Value)
{
    if (Value == FMidiData)
        return;
    FMidiData = Value;
    const int32_t Remembered = FTick;
    Reset();
    SetTick(Remembered);
}

void TMidiPosition::Reset() { ResetPosition(); }

void TMidiPosition::ResetPosition()
{
    FTick = 0;
    FTime = 0;
    FPPQN = FMidiData != nullptr ? FMidiData->PPQN() : 180;
    FTempo = 600;
    FTempoTick = 0;
    FTempoTime = 0;
    FDenominator = 2;
    FNumerator = 4;
    FMeterTick = 0;
    FMeterBar = 0;
    RecalcBeatLength();
    FBar = 0;
    FBeat = 0;
    FBeatTick = 0;
    FMapCursor = 0;
}

void TMidiPosition::RecalcBeatLength()
{
    const auto Ppqn = static_cast<uint32_t>(FPPQN);
    if (FDenominator > 2)
        FTicksPerBeat = static_cast<int32_t>(FDenominator - 2 < 32 ? Ppqn >> (FDenominator - 2) : 0);
    else if (FDenominator < 2)
        FTicksPerBeat = static_cast<int32_t>(Ppqn << (2 - FDenominator));
    else
        FTicksPerBeat = FPPQN;
    FTicksPerBar = static_cast<int32_t>(static_cast<int64_t>(FTicksPerBeat) * FNumerator);
}

int32_t TMidiPosition::TimeOfTick(int32_t Tick) const
{
    return static_cast<int32_t>(FTempoTime + MulDiv(static_cast<int64_t>(Tick) - FTempoTick, FTempo, FPPQN));
}

int32_t TMidiPosition::TicksSinceTempo(int32_t Milliseconds) const
{
    return MulDiv(static_cast<int64_t>(Milliseconds) - FTempoTime, FPPQN, FTempo);
}

void TMidiPosition::SetMusicalPosition(int32_t R)
{
    const int32_t Beats = static_cast<int32_t>(R / Divisor(FTicksPerBeat));
    FBeatTick = static_cast<int32_t>(R % Divisor(FTicksPerBeat));
    FBar = static_cast<int32_t>(FMeterBar + Beats / Divisor(FNumerator));
    FBeat = static_cast<int32_t>(Beats % Divisor(FNumerator));
    FTick = FMeterTick + R;
}

const TTrackEvent* TMidiPosition::NextMapEvent() const
{
    if (FMidiData == nullptr)
        return nullptr;
    const TMidiTrackStream* First = FMidiData->Tracks(0);
    return First != nullptr ? First->Events(FMapCursor) : nullptr;
}

TMidiPosition::TMapChange TMidiPosition::ApplyMapEvent(const TTrackEvent& Event)
{
    const int32_t EventTick = Event.Tick;
    if (IsMeta(Event, MetaTimeSignature, 3)) {
        ApplyTimeSignature(EventTick, Event.Data.Buffer[1], Event.Data.Buffer[2]);
        return TMapChange::TimeSignature;
    }
    if (IsMeta(Event, MetaTempo, 4)) {
        const uint8_t* Bytes = Event.Data.Buffer + 1;
        ApplyTempo(EventTick, static_cast<int32_t>(((Bytes[0] << 16) | (Bytes[1] << 8) | Bytes[2]) / 1000));
        return TMapChange::Tempo;
    }
    return TMapChange::None;
}

void TMidiPosition::ApplyTimeSignature(int32_t EventTick, uint8_t Numerator, uint8_t Denominator)
{
    const int64_t Span = static_cast<int64_t>(EventTick) - FMeterTick;
    const int64_t BarLength = Divisor(FTicksPerBar);
    FMeterBar = static_cast<int32_t>(FMeterBar + Span / BarLength + (Span % BarLength > 0 ? 1 : 0));
    FMeterTick = EventTick;
    FNumerator = Numerator;
    FDenominator = Denominator;
    RecalcBeatLength();
}

void TMidiPosition::ApplyTempo(int32_t EventTick, int32_t MsPerQuarter)
{
    FTempoTime = TimeOfTick(EventTick);
    FTempoTick = EventTick;
    FTempo = MsPerQuarter;
}

int32_t TMidiPosition::RelativeTicks(int32_t Bar, int32_t Beat, int32_t Tick) const
{
    return static_cast<int32_t>(static_cast<int64_t>(Bar - FMeterBar) * FTicksPerBar
        + static_cast<int64_t>(Beat) * FTicksPerBeat + Tick);
}

void TMidiPosition::MoveToTick(int32_t Target)
{
    if (Target < FTick)
        Reset();
    int32_t R = static_cast<int32_t>(static_cast<int64_t>(Target) - FMeterTick);
    if (R < 0)
        return;
    while (const TTrackEvent* Event = NextMapEvent()) {
        const int32_t EventTick = Event->Tick;
        if (EventTick > static_cast<int64_t>(FMeterTick) + R)
            break;
        ++FMapCursor;
        const int32_t MeterTickBefore = FMeterTick;
        if (ApplyMapEvent(*Event) == TMapChange::TimeSignature)
            R -= EventTick - MeterTickBefore; // the meter now starts at the event
    }
    SetMusicalPosition(R);
    FTime = TimeOfTick(FTick);
}

void TMidiPosition::MoveToTime(int32_t Milliseconds)
{
    if (Milliseconds < FTime)
        Reset();
    FTime = Milliseconds;
    int32_t D = TicksSinceTempo(FTime);
    if (FMidiData == nullptr)
        return;
    while (const TTrackEvent* Event = NextMapEvent()) {
        if (Event->Tick > static_cast<int64_t>(FTempoTick) + D)
            break;
        ++FMapCursor;
        if (ApplyMapEvent(*Event) == TMapChange::Tempo)
            D = TicksSinceTempo(FTime);
    }
    SetMusicalPosition(static_cast<int32_t>(static_cast<int64_t>(D) + FTempoTick - FMeterTick));
}

void TMidiPosition::SetTick(int32_t Target)
{
    MoveToTick(Target);
    PositionChanged();
}

void TMidiPosition::SetTime(int32_t Milliseconds)
{
    MoveToTime(Milliseconds);
    PositionChanged();
}

void TMidiPosition::SetBarBeatTick(int32_t Bar, int32_t Beat, int32_t Tick)
{
    if (Bar < FBar || (Bar == FBar && (Beat < FBeat || (Beat == FBeat && Tick < FBeatTick))))
        Reset();
    int32_t R = RelativeTicks(Bar, Beat, Tick);
    if (R < 0)
        return;
    while (const TTrackEvent* Event = NextMapEvent()) {
        if (Event->Tick > static_cast<int64_t>(FMeterTick) + R)
            break;
        ++FMapCursor;
        if (ApplyMapEvent(*Event) == TMapChange::TimeSignature)
            R = RelativeTicks(Bar, Beat, Tick);
    }
    SetMusicalPosition(R);
    FTime = TimeOfTick(FTick);
    PositionChanged();
}

int32_t TMidiPosition::LastEventTick() const
{
    if (FMidiData == nullptr)
        return 0;
    int32_t Last = 0;
    for (int32_t T = 0; T < FMidiData->TrackCount(); ++T) {
        const TMidiTrackStream* Track = FMidiData->Tracks(T);
        int32_t I = Track->EventCount() - 1;
        if (I < 0)
            continue;
        while (I > 0 && Track->Events(I)->Data.Status >= 0xF0)
            --I;
        const int32_t EventTick = Track->Events(I)->Tick;
        if (EventTick > Last)
            Last = EventTick;
    }
    return Last;
}

// --- TMidiIterator ---

TMidiIterator::TMidiIterator(TComponent* Owner) : TMidiPosition(Owner) {}

TMidiIterator::~TMidiIterator() { BeginDestruction(); }

void TMidiIterator::SetTrackOutputs(TTrackOutputs* Value)
{
    FTrackOutputs = Value;
    if (Value != nullptr) {
        Value->RewindCursors();
        Value->SendInitialPatches();
    }
}

void TMidiIterator::Reset()
{
    TMidiPosition::Reset();
    FFinished = true;
    if (FTrackOutputs == nullptr)
        return;
    RewindTracks();
}

void TMidiIterator::RewindTracks()
{
    FTrackOutputs->RewindCursors();
    FTrackOutputs->SendInitialPatches();
    for (int32_t I = 0; I < FTrackOutputs->Count(); ++I) {
        if (FTrackOutputs->Items(I)->Track->EventCount() > 0) {
            FFinished = false;
            return;
        }
    }
}

void TMidiIterator::PositionChanged()
{
    FFinished = true;
    if (FTrackOutputs == nullptr)
        return;
    const int32_t Target = Tick();
    const bool RaiseEvents = static_cast<bool>(FTrackOutputs->OnEvent) && !Destroying();
    for (int32_t I = 0; I < FTrackOutputs->Count(); ++I) {
        TTrackOutput& Entry = *FTrackOutputs->Items(I);
        const TMidiTrackStream& Track = *Entry.Track;
        int32_t Cursor = Entry.Cursor;
        for (; Cursor < Track.EventCount(); ++Cursor) {
            const TTrackEvent& Event = *Track.Events(Cursor);
            if (Event.Tick >= Target)
                break;
            const TEventData Data = Event.Data;
            const uint8_t Kind = Data.Status & 0xF0;
            if (Data.Status >= 0xF0 || (!FPlaying && (Kind == 0x80 || Kind == 0x90)))
                continue;
            Entry.Port->SendEvent(Data);
            if (RaiseEvents)
                FTrackOutputs->OnEvent(this, I, Data);
        }
        Entry.Cursor = Cursor;
        if (Cursor < Track.EventCount())
            FFinished = false;
    }
}

void TMidiIterator::Advance(int32_t Milliseconds)
{
    if (Destroying()) {
        FFinished = true;
        return;
    }
    FPlaying = true;
    SetTime(static_cast<int32_t>(static_cast<int64_t>(Time()) + Milliseconds));
    FPlaying = false;
}
