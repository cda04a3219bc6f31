#include "cmpTrackOutputs.h"

TTrackOutputs::~TTrackOutputs()
{
    BeginDestruction();
    SetActive(false);
}

TTrackOutput* TTrackOutputs::Items(int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(Index)];
}

void TTrackOutputs::SetMidiData(TMidiData* Value)
{
    if (Value == FMidiData)
        return;
    const bool WasActive = FActive;
    SetActive(false);
    FMidiData = Value;
    if (Value != nullptr && WasActive)
        SetActive(true);
}

void TTrackOutputs::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (Value && FMidiData != nullptr)
        CreateOutputs();
    else
        ClearOutputs();
}

void TTrackOutputs::CreateOutputs()
{
    for (int32_t I = 0; I < FMidiData->TrackCount(); ++I) {
        auto* Entry = new TTrackOutput(this);
        FItems.push_back(Entry);
        Entry->Track = FMidiData->Tracks(I);
        Entry->Cursor = 0;
        Entry->Port = new TMidiOutputPort(Entry);
        // A track port hands system-exclusive data straight on and never holds a
        // buffer, so its destruction need not wait for any.
        Entry->Port->SetSysexLatency(0);
        Entry->Port->SetPortId(FDefaultOutputPort);
        Entry->Port->SetActive(true);
    }
}

void TTrackOutputs::ClearOutputs()
{
    while (!FItems.empty()) {
        TTrackOutput* First = FItems.front();
        FItems.erase(FItems.begin());
        delete First;
    }
}

void TTrackOutputs::AllNotesOff()
{
    for (TTrackOutput* Entry : FItems)
        if (Entry->Port->Active())
            Entry->Port->AllNotesOff();
}

void TTrackOutputs::ResetControllers()
{
    for (TTrackOutput* Entry : FItems)
        Entry->Port->ResetControllers();
}

void TTrackOutputs::RewindCursors()
{
    for (TTrackOutput* Entry : FItems)
        Entry->Cursor = 0;
}

void TTrackOutputs::SendInitialPatches()
{
    for (TTrackOutput* Entry : FItems)
        Entry->Port->SetPatch(Entry->Track->Patch(), Entry->Track->Channel());
}
