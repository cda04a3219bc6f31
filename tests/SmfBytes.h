// Small builders for the bytes of song files, written out in the tests themselves.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

inline void AppendBigEndian32(TBytes& Out, uint32_t Value)
{
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<uint8_t>(Value >> Shift));
}

inline void AppendText(TBytes& Out, const std::string& Text) { Out.insert(Out.end(), Text.begin(), Text.end()); }

// A chunk: its four-character id, its big-endian length, its contents.
inline TBytes Chunk(const std::string& Id, const TBytes& Contents)
{
    TBytes Out;
    AppendText(Out, Id);
    AppendBigEndian32(Out, static_cast<uint32_t>(Contents.size()));
    Out.insert(Out.end(), Contents.begin(), Contents.end());
    return Out;
}

inline TBytes Track(const TBytes& Events) { return Chunk("MTrk", Events); }

// An MThd chunk with the given fields.
inline TBytes Header(uint16_t Format, uint16_t Tracks, uint16_t Division)
{
    return Chunk("MThd", {static_cast<uint8_t>(Format >> 8), static_cast<uint8_t>(Format),
                             static_cast<uint8_t>(Tracks >> 8), static_cast<uint8_t>(Tracks),
                             static_cast<uint8_t>(Division >> 8), static_cast<uint8_t>(Division)});
}

inline TBytes Concat(std::initializer_list<TBytes> Parts)
{
    TBytes Out;
    for (const TBytes& Part : Parts)
        Out.insert(Out.end(), Part.begin(), Part.end());
    return Out;
}

// A RIFF file: "RIFF", little-endian size, form type, then the sub-chunks as given.
inline TBytes Riff(const std::string& FormType, const TBytes& SubChunks)
{
    TBytes Out;
    AppendText(Out, "RIFF");
    const uint32_t Size = static_cast<uint32_t>(SubChunks.size() + 4);
    for (int Shift = 0; Shift < 32; Shift += 8)
        Out.push_back(static_cast<uint8_t>(Size >> Shift));
    AppendText(Out, FormType);
    Out.insert(Out.end(), SubChunks.begin(), SubChunks.end());
    return Out;
}

// A little-endian RIFF sub-chunk, padded to an even length.
inline TBytes RiffChunk(const std::string& Id, const TBytes& Contents)
{
    TBytes Out;
    AppendText(Out, Id);
    const uint32_t Size = static_cast<uint32_t>(Contents.size());
    for (int Shift = 0; Shift < 32; Shift += 8)
        Out.push_back(static_cast<uint8_t>(Size >> Shift));
    Out.insert(Out.end(), Contents.begin(), Contents.end());
    if (Size % 2 != 0)
        Out.push_back(0);
    return Out;
}
