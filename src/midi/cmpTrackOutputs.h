// The routing of a song's tracks to output ports: one entry per track, each with
// its own port and the cursor with which the iterator walks the track.
#pragma once

#include "cmpMidiData.h"
#include "cmpMidiOutput.h"
#include "platform/Component.h"

#include <cstdint>
#include <functional>
#include <vector>

using TOnEvent = std::function<void(void* Sender, int32_t port, const TEventData& data)>;

class TTrackOutput : public TComponent {
public:
    explicit TTrackOutput(TComponent* Owner) : TComponent(Owner) {}

    TMidiTrackStream* Track = nullptr; // owned by the song
    TMidiOutputPort* Port = nullptr;   // owned by this entry
    int32_t Cursor = 0;                // the next event of Track not yet delivered
};

class TTrackOutputs : public TComponent {
public:
    explicit TTrackOutputs(TComponent* Owner) : TComponent(Owner) {}
    ~TTrackOutputs() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TMidiData* MidiData() const { return FMidiData; }
    void SetMidiData(TMidiData* Value);
    int32_t DefaultOutputPort() const { return FDefaultOutputPort; }
    void SetDefaultOutputPort(int32_t Value) { FDefaultOutputPort = Value; }
    TOnEvent OnEvent;

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TTrackOutput* Items(int32_t Index) const;

    void CreateOutputs();
    void ClearOutputs();
    void AllNotesOff();
    void ResetControllers();
    void RewindCursors();
    void SendInitialPatches();

private:
    bool FActive = false;
    TMidiData* FMidiData = nullptr;
    int32_t FDefaultOutputPort = 0;
    std::vector<TTrackOutput*> FItems; // owned as components, in track order
};
