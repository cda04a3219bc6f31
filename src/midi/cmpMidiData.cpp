#include "cmpMidiData.h"

#include "cmpRiffStream.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

uint16_t BigEndian16(const uint8_t* Bytes) { return static_cast<uint16_t>((Bytes[0] << 8) | Bytes[1]); }

// The extension of the file name part, dot included, in upper case.
std::string UpperExtension(const std::string& FileName)
{
    const size_t NameStart = FileName.find_last_of('/');
    const size_t Dot = FileName.find_last_of('.');
    if (Dot == std::string::npos || (NameStart != std::string::npos && Dot < NameStart))
        return {};
    std::string Extension = FileName.substr(Dot);
    std::transform(Extension.begin(), Extension.end(), Extension.begin(),
        [](unsigned char C) { return static_cast<char>(std::toupper(C)); });
    return Extension;
}

// The stream the song is read from: the file itself, or the contents of the
// "data" chunk of its first RIFF chunk when the extension says RIFF.
std::unique_ptr<TStream> OpenSongStream(const std::string& FileName)
{
    const std::string Extension = UpperExtension(FileName);
    if (Extension != ".RMI" && Extension != ".RIFF")
        return std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    auto Riff = std::make_unique<TRiffFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    Riff->Descend("RMID", TRiffSearch::rsFindRiff);
    Riff->Descend("data", TRiffSearch::rsFindChunk);
    return Riff;
}

} // namespace

TMidiData::TMidiData(TComponent* Owner) : TComponent(Owner) {}

TMidiData::~TMidiData()
{
    BeginDestruction();
    Clear();
}

TMidiTrackStream* TMidiData::Tracks(int32_t Index) const
{
    if (Index < 0 || Index >= TrackCount())
        return nullptr;
    return FTracks[static_cast<size_t>(Index)].get();
}

void TMidiData::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    if (!Value) {
        Clear();
    } else if (!FFileName.empty()) {
        LoadFromFile();
    } else {
        Clear();
        FActive = true;
    }
}

void TMidiData::Clear()
{
    FTracks.clear();
    FFormat = 1;
    FTrackCount = 0;
    FDivision = 180;
    FActive = false;
}

void TMidiData::LoadFromFile()
{
    Clear();
    std::unique_ptr<TStream> Stream = OpenSongStream(FFileName);
    LoadFromStream(*Stream);
}

void TMidiData::LoadFromStream(TStream& Stream)
{
    Clear();
    try {
        ReadHeader(Stream);
        ReadTracks(Stream);
        FActive = true;
    } catch (...) {
        Clear();
        throw;
    }
}

void TMidiData::ReadHeader(TStream& Stream)
{
    if (!ReadChunkId(Stream, "MThd"))
        throw EMidiData("Invalid MIDI file ID");
    const auto HeaderLength = static_cast<int32_t>(ReadBigEndianLong(Stream));
    if (HeaderLength < 6)
        throw EMidiData("Invalid MIDI header size");
    uint8_t Fields[6];
    Stream.ReadBuffer(Fields, 6);
    FFormat = BigEndian16(Fields);
    FTrackCount = BigEndian16(Fields + 2);
    FDivision = BigEndian16(Fields + 4);
    // The rest of a longer header is read past, unused.
    uint8_t Skipped[256];
    for (int32_t Remaining = HeaderLength - 6; Remaining > 0;) {
        const int32_t Piece = std::min<int32_t>(Remaining, sizeof Skipped);
        Stream.ReadBuffer(Skipped, Piece);
        Remaining -= Piece;
    }
}

void TMidiData::ReadTracks(TStream& Stream)
{
    for (uint32_t I = 0; I < FTrackCount; ++I) {
        auto Track = std::make_unique<TMidiTrackStream>(MaxTrackEvents);
        Track->LoadFromStream(Stream);
        FTracks.push_back(std::move(Track));
    }
}
