// Feeds arbitrary bytes to the song loader, both as a plain Standard MIDI File
// and as a RIFF file, and reads every stored block back.
#include "cmpMidiData.h"
#include "cmpRiffStream.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// Touches every byte the loaded song refers to, so a block outside its chunk shows.
void ReadEverything(const TMidiData& Song)
{
    volatile uint32_t Sum = 0;
    for (int32_t T = 0; T < Song.TrackCount(); ++T) {
        const TMidiTrackStream* Track = Song.Tracks(T);
        for (int32_t I = 0; I < Track->EventCount(); ++I) {
            const TTrackEvent* Event = Track->Events(I);
            if (HasDataBlock(Event->Data.Status))
                for (uint16_t B = 0; B < Event->DataLength; ++B)
                    Sum = Sum + Event->Data.Buffer[B];
        }
    }
}

void LoadPlain(const uint8_t* Data, size_t Size)
{
    TMemoryStream Stream(Data, static_cast<int64_t>(Size));
    TMidiData Song(nullptr);
    try {
        Song.LoadFromStream(Stream);
        ReadEverything(Song);
    } catch (const Exception&) {
        if (Song.Active() || Song.TrackCount() != 0)
            __builtin_trap(); // a failed load must leave nothing behind
    }
}

void LoadRiff(const uint8_t* Data, size_t Size)
{
    TRiffStream Riff(std::make_unique<TMemoryStream>(Data, static_cast<int64_t>(Size)));
    TMidiData Song(nullptr);
    try {
        Riff.Descend("RMID", TRiffSearch::rsFindRiff);
        Riff.Descend("data", TRiffSearch::rsFindChunk);
        Song.LoadFromStream(Riff);
        ReadEverything(Song);
    } catch (const Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    LoadPlain(Data, Size);
    LoadRiff(Data, Size);
    return 0;
}
