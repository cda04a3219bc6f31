// A position in a song in ticks, milliseconds and bar/beat/tick, with the tempo
// map that links them, and the iterator that delivers due events as it moves.
#pragma once

#include "cmpMidiData.h"
#include "cmpTrackOutputs.h"
#include "platform/Component.h"

#include <cstdint>

class TMidiPosition : public TComponent {
public:
    explicit TMidiPosition(TComponent* Owner);

    // Copies every field from another position; raises EInvalidCast for other classes.
    void Assign(const TComponent* Source);

    TMidiData* MidiData() const { return FMidiData; }
    // Binding another song keeps the tick position under the new song's tempo map.
    void SetMidiData(TMidiData* Value);

    virtual void Reset();
    virtual void PositionChanged() {}

    void MoveToTick(int32_t Target);
    void MoveToTime(int32_t Milliseconds);
    void SetTick(int32_t Target);
    void SetTime(int32_t Milliseconds);
    void SetBarBeatTick(int32_t Bar, int32_t Beat, int32_t Tick);
    int32_t LastEventTick() const;
    void SeekToEnd() { SetTick(LastEventTick()); }

    int32_t Tick() const { return FTick; }
    int32_t Time() const { return FTime; }
    int32_t Bar() const { return FBar; }
    int32_t Beat() const { return FBeat; }
    int32_t BeatTick() const { return FBeatTick; }
    int32_t Tempo() const { return FTempo; }
    int32_t PPQN() const { return FPPQN; }
    int32_t TicksPerBeat() const { return FTicksPerBeat; }
    int32_t TicksPerBar() const { return FTicksPerBar; }

private:
    void ResetPosition();
    void RecalcBeatLength();
    int32_t TimeOfTick(int32_t Tick) const;
    int32_t TicksSinceTempo(int32_t Milliseconds) const;
    void SetMusicalPosition(int32_t R);
    // The next event of the first track not yet examined, or nullptr.
    const TTrackEvent* NextMapEvent() const;
    enum class TMapChange { None, Tempo, TimeSignature };
    // Applies Event if it is a tempo or time-signature change.
    TMapChange ApplyMapEvent(const TTrackEvent& Event);
    void ApplyTimeSignature(int32_t EventTick, uint8_t Numerator, uint8_t Denominator);
    void ApplyTempo(int32_t EventTick, int32_t MsPerQuarter);
    int32_t RelativeTicks(int32_t Bar, int32_t Beat, int32_t Tick) const;

    TMidiData* FMidiData = nullptr;
    int32_t FTick = 0;
    int32_t FTime = 0;
    int32_t FPPQN = 180;
    int32_t FTempo = 600;
    int32_t FTempoTick = 0;
    int32_t FTempoTime = 0;
    int32_t FDenominator = 2;
    int32_t FNumerator = 4;
    int32_t FMeterTick = 0;
    int32_t FMeterBar = 0;
    int32_t FTicksPerBar = 720;
    int32_t FTicksPerBeat = 180;
    int32_t FBar = 0;
    int32_t FBeat = 0;
    int32_t FBeatTick = 0;
    int32_t FMapCursor = 0;
};

class TMidiIterator : public TMidiPosition {
public:
    explicit TMidiIterator(TComponent* Owner);
    ~TMidiIterator() override;

    TTrackOutputs* TrackOutputs() const { return FTrackOutputs; }
    // Rewinds the entries' cursors and sends their initial programs.
    void SetTrackOutputs(TTrackOutputs* Value);

    void Reset() override;
    // Delivers every event of every track before Tick: notes only while Playing.
    void PositionChanged() override;
    // Moves the song time forward by Milliseconds, delivering notes too.
    void Advance(int32_t Milliseconds);

    bool Playing() const { return FPlaying; }
    bool Finished() const { return FFinished; }

private:
    void RewindTracks();

    bool FPlaying = false;
    TTrackOutputs* FTrackOutputs = nullptr;
    bool FFinished = true;
};
