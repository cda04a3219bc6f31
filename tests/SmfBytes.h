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

inline void AppendVarLen(TBytes& Out, uint32_t Value)
{
    uint8_t Groups[5];
    int Count = 0;
    do {
        Groups[Count++] = static_cast<uint8_t>(Value & 0x7F);
        Value >>= 7;
    } while (Value != 0);
    while (Count > 1)
        Out.push_back(Groups[--Count] | 0x80);
    Out.push_back(Groups[0]);
}

// A dense song: a conductor track with the tempo, then one track per channel of
// Notes thirty-second notes (480 ppqn), each sounding for half its length.
inline TBytes DenseSong(int Channels, int Notes, uint32_t TempoMicroseconds)
{
    TBytes File = Header(1, static_cast<uint16_t>(Channels + 1), 480);
    const TBytes Conductor = Track({0x00, 0xFF, 0x51, 0x03, static_cast<uint8_t>(TempoMicroseconds >> 16),
        static_cast<uint8_t>(TempoMicroseconds >> 8), static_cast<uint8_t>(TempoMicroseconds), 0x00, 0xFF, 0x2F, 0x00});
    File.insert(File.end(), Conductor.begin(), Conductor.end());
    for (int Channel = 0; Channel < Channels; ++Channel) {
        TBytes Events;
        for (int Note = 0; Note < Notes; ++Note) {
            const auto Key = static_cast<uint8_t>(36 + (Note * 5 + Channel) % 60);
            AppendVarLen(Events, Note == 0 ? 0 : 30);
            Events.insert(Events.end(), {static_cast<uint8_t>(0x90 | Channel), Key, 100});
            AppendVarLen(Events, 30);
            Events.insert(Events.end(), {static_cast<uint8_t>(0x80 | Channel), Key, 0});
        }
        Events.insert(Events.end(), {0x00, 0xFF, 0x2F, 0x00});
        const TBytes Chunk = Track(Events);
        File.insert(File.end(), Chunk.begin(), Chunk.end());
    }
    return File;
}

// A system-exclusive message of Length bytes: F0, counting data bytes, F7.
inline TBytes SysexMessage(size_t Length)
{
    TBytes Bytes(Length);
    for (size_t I = 0; I < Length; ++I)
        Bytes[I] = static_cast<uint8_t>(I & 0x7F);
    Bytes.front() = 0xF0;
    Bytes.back() = 0xF7;
    return Bytes;
}
