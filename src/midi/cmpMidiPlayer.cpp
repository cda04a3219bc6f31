#include "cmpMidiPlayer.h"

TMidiPlayer::TMidiPlayer(TComponent* Owner) : TComponent(Owner) {}

TMidiPlayer::~TMidiPlayer()
{
    BeginDestruction();
    Stop();
}

void TMidiPlayer::SetState(TPlayerState Value)
{
    const TPlayerState Old = FState.exchange(Value);
    if (Old == Value || Destroying())
        return;
    const TNotifyEvent* Event = nullptr;
    switch (Value) {
    case psStopped: Event = &OnStop; break;
    case psPaused: Event = &OnPause; break;
    case psPlaying: Event = &OnPlay; break;
    case psFastForward: Event = &OnFastForward; break;
    }
    if (*Event)
        (*Event)(this);
}

// Resumes from a pause; the time spent paused is never added to the song.
void TMidiPlayer::Resume(int32_t Speed)
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    FSpeed.store(Speed);
    FReferenceTime = Clock();
    SetState(Speed == 1 ? psPlaying : psFastForward);
}

void TMidiPlayer::SetPlay(bool Value)
{
    const TPlayerState Current = FState.load();
    if (Value) {
        if (Current == psStopped)
            StartPlayback(1);
        else if (Current != psPlaying)
            Resume(1);
    } else if (Current != psStopped) {
        Stop();
    }
}

void TMidiPlayer::SetFastForward(bool Value)
{
    const TPlayerState Current = FState.load();
    if (Value) {
        if (Current == psStopped)
            StartPlayback(4);
        else if (Current != psFastForward)
            Resume(4);
    } else if (Current == psFastForward) {
        Stop();
    }
}

void TMidiPlayer::SetPaused(bool Value)
{
    const TPlayerState Current = FState.load();
    if (Value && (Current == psPlaying || Current == psFastForward))
        SetState(psPaused);
    else if (!Value && Current == psPaused)
        Resume(FSpeed.load());
}

void TMidiPlayer::StartPlayback(int32_t Speed)
{
    std::unique_lock<std::recursive_mutex> Guard(FStepLock);
    if (FTrackOutputs == nullptr || !FTrackOutputs->Active()) {
        SetStateQuietly(psPlaying);
        Guard.unlock();
        SetState(psStopped);
        return;
    }
    FIterator.SetMidiData(FTrackOutputs->MidiData());
    const int32_t Here = FIterator.Tick();
    FIterator.SetTick(FStopPosition); // chase to where playback last stopped, and back
    SetStateQuietly(psPaused);
    FIterator.SetTick(Here);
    FSpeed.store(Speed);
    FReferenceTime = Clock();
    FScaledRemainder = 0;
    if (!FTimer.Start(FTimerResolution, FBoostPriority, [this] { TimerProc(); })) {
        Guard.unlock();
        SetState(psStopped);
        return;
    }
    Guard.unlock();
    SetState(Speed == 1 ? psPlaying : psFastForward);
}

void TMidiPlayer::TimerProc()
{
    std::unique_lock<std::recursive_mutex> Guard(FStepLock, std::try_to_lock);
    if (!Guard.owns_lock() || FState.load() == psPaused)
        return;
    const int64_t Now = Clock();
    const int64_t Elapsed = Now - FReferenceTime;
    FReferenceTime = Now;
    // Whole milliseconds of song time; the fraction is carried to the next step so
    // that a tempo other than 100 % does not drift.
    const int64_t Scaled = Elapsed * FTempoPercent.load() * FSpeed.load() + FScaledRemainder;
    FScaledRemainder = Scaled % 100;
    FIterator.Advance(static_cast<int32_t>(Scaled / 100));
    if (FIterator.Finished())
        StopLocked();
}

void TMidiPlayer::Stop()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    StopLocked();
}

void TMidiPlayer::StopLocked()
{
    if (FState.load() >= psPaused && FTimer.Running()) {
        FTimer.Stop();
        AllNotesOffLocked();
        FStopPosition = FIterator.Tick();
    }
    SetState(psStopped);
}

int32_t TMidiPlayer::Position()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    return FIterator.Tick();
}

int32_t TMidiPlayer::Time()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    return FIterator.Time();
}

void TMidiPlayer::SetPosition(int32_t Value)
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    AllNotesOffLocked();
    if (Value < FIterator.Tick())
        ResetControllers();
    FIterator.SetTick(Value);
    FReferenceTime = Clock(); // the seek's own time is not song time
}

void TMidiPlayer::SetTimerPeriod(int32_t Value)
{
    if (Value != FTimerPeriod)
        FTimerPeriod = Value > MinimumTimerPeriod ? Value : MinimumTimerPeriod;
}

void TMidiPlayer::SetTrackOutputs(TTrackOutputs* Value)
{
    if (Value == FTrackOutputs)
        return;
    Rewind();
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    FTrackOutputs = Value;
    FIterator.SetTrackOutputs(Value);
    AttachMidiData();
}

void TMidiPlayer::Rewind()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    StopLocked();
    FIterator.SetBarBeatTick(0, 0, 0);
}

void TMidiPlayer::SeekToEnd()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    FIterator.SetMidiData(FTrackOutputs != nullptr ? FTrackOutputs->MidiData() : nullptr);
    AllNotesOffLocked();
    FIterator.SeekToEnd();
    FReferenceTime = Clock();
}

void TMidiPlayer::AttachMidiData()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    StopLocked();
    const bool Usable = FTrackOutputs != nullptr && FTrackOutputs->Active();
    FIterator.SetMidiData(Usable ? FTrackOutputs->MidiData() : nullptr);
}

void TMidiPlayer::AllNotesOff()
{
    std::lock_guard<std::recursive_mutex> Guard(FStepLock);
    AllNotesOffLocked();
}

void TMidiPlayer::AllNotesOffLocked()
{
    if (FTrackOutputs != nullptr)
        FTrackOutputs->AllNotesOff();
}

void TMidiPlayer::ResetControllers()
{
    if (FTrackOutputs != nullptr)
        FTrackOutputs->ResetControllers();
}
