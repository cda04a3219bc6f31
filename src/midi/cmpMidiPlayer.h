// The real-time player: a periodic timer advances the iterator by the elapsed
// clock time, scaled by TempoPercent and the speed, and stops at the song's end.
#pragma once

#include "cmpMidiIterator.h"
#include "cmpTrackOutputs.h"
#include "platform/Component.h"
#include "platform/PeriodicTimer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

class TMidiInput;

enum TPlayerState : uint8_t { psStopped = 0, psPaused = 2, psPlaying = 3, psFastForward = 4 };

using TNotifyEvent = std::function<void(void* Sender)>;

class TMidiPlayer : public TComponent {
public:
    explicit TMidiPlayer(TComponent* Owner);
    ~TMidiPlayer() override;

    bool Play() const { return FState.load() == psPlaying; }
    void SetPlay(bool Value);
    bool FastForward() const { return FState.load() == psFastForward; }
    void SetFastForward(bool Value);
    bool Paused() const { return FState.load() == psPaused; }
    void SetPaused(bool Value);
    TPlayerState State() const { return FState.load(); }

    // Ticks. Writing seeks: notes are silenced, controllers reset when moving back,
    // and controllers and programs are chased to the new place.
    int32_t Position();
    void SetPosition(int32_t Value);
    int32_t Time();
    int32_t StopPosition() const { return FStopPosition; }

    int32_t TimerPeriod() const { return FTimerPeriod; }
    void SetTimerPeriod(int32_t Value);
    int32_t TimerResolution() const { return FTimerResolution; }
    void SetTimerResolution(int32_t Value) { FTimerResolution = Value; }
    int32_t TempoPercent() const { return FTempoPercent.load(); }
    void SetTempoPercent(int32_t Value) { FTempoPercent.store(Value); }
    int32_t Speed() const { return FSpeed.load(); }
    // Asks for real-time scheduling of the timer thread while playing.
    bool BoostPriority() const { return FBoostPriority; }
    void SetBoostPriority(bool Value) { FBoostPriority = Value; }
    TMidiInput* MidiInput() const { return FMidiInput; }
    void SetMidiInput(TMidiInput* Value) { FMidiInput = Value; }
    TTrackOutputs* TrackOutputs() const { return FTrackOutputs; }
    void SetTrackOutputs(TTrackOutputs* Value);

    void Stop();
    void Rewind();
    void SeekToEnd();
    void AttachMidiData();
    void AllNotesOff();
    void ResetControllers();

    // One timer step; public so that tests can drive the player without a timer.
    void TimerProc();

    // The millisecond clock the steps measure; replaceable before playback starts.
    std::function<int64_t()> Clock = MillisecondClock;

    TNotifyEvent OnStop;
    TNotifyEvent OnPause;
    TNotifyEvent OnPlay;
    TNotifyEvent OnFastForward;

private:
    void SetState(TPlayerState Value);
    void SetStateQuietly(TPlayerState Value) { FState.store(Value); }
    void StartPlayback(int32_t Speed);
    void Resume(int32_t Speed);
    void StopLocked();
    void AllNotesOffLocked();

    TTrackOutputs* FTrackOutputs = nullptr;
    TMidiInput* FMidiInput = nullptr;
    std::atomic<int32_t> FSpeed{1};
    TMidiIterator FIterator{nullptr};
    int32_t FTimerPeriod = MinimumTimerPeriod;
    int32_t FTimerResolution = 4;
    std::atomic<TPlayerState> FState{psStopped};
    int64_t FReferenceTime = 0;
    int64_t FScaledRemainder = 0; // what the last steps' integer division left over
    std::atomic<int32_t> FTempoPercent{100};
    bool FBoostPriority = false;
    int32_t FStopPosition = 0;
    TPeriodicTimer FTimer;
    // Taken by every timer step and by every operation that moves the iterator or
    // stops the timer; a step that finds it taken returns at once.
    std::recursive_mutex FStepLock;
};
