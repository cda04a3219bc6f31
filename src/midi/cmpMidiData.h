// The song: a Standard MIDI File (plain or wrapped in RIFF) read into tracks.
#pragma once

#include "platform/Component.h"
#include "platform/SysUtils.h"
#include "unitMidiTrackStream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EMidiData : public Exception {
public:
    using Exception::Exception;
};

class TMidiData : public TComponent {
public:
    static constexpr int32_t MaxTrackEvents = 100000;

    explicit TMidiData(TComponent* Owner);
    ~TMidiData() override;

    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }

    bool Active() const { return FActive; }
    // True loads FileName (or makes an empty song when it is empty); false clears.
    // A failed load leaves the song inactive with no tracks and raises.
    void SetActive(bool Value);

    int32_t PPQN() const { return FDivision; }
    void SetPPQN(int32_t Value) { FDivision = static_cast<uint16_t>(Value); }

    int32_t TrackCount() const { return static_cast<int32_t>(FTracks.size()); }
    TMidiTrackStream* Tracks(int32_t Index) const;

    void Clear();
    // Reads the header and the announced tracks from Stream; the song is cleared
    // first, and again when anything fails.
    void LoadFromStream(TStream& Stream);

private:
    void LoadFromFile();
    void ReadHeader(TStream& Stream);
    void ReadTracks(TStream& Stream);

    std::string FFileName;
    bool FActive = false;
    uint16_t FFormat = 1;
    uint16_t FTrackCount = 0;
    uint16_t FDivision = 180;
    std::vector<std::unique_ptr<TMidiTrackStream>> FTracks;
};
