// Load speed of large and typical songs, side by side with libsmf on the same files.
#include "cmpMidiData.h"

#include <benchmark/benchmark.h>
#include <smf.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using TBytes = std::vector<uint8_t>;

void AppendBigEndian32(TBytes& Out, uint32_t Value)
{
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<uint8_t>(Value >> Shift));
}

// A track of notes on one channel, running status throughout, with a controller
// change every 16 notes; Events counts the events including the end of track.
TBytes NoteTrack(int Channel, int Events)
{
    TBytes Body = {0x00, static_cast<uint8_t>(0xC0 | Channel), static_cast<uint8_t>(Channel * 7)};
    int Written = 1;
    bool On = true;
    for (int Note = 0; Written < Events - 2; ++Note, ++Written) {
        if (Note % 32 == 31) {
            Body.insert(Body.end(), {0x00, static_cast<uint8_t>(0xB0 | Channel), 7, static_cast<uint8_t>(Note & 0x7F)});
            On = true; // the controller changed the running status
            continue;
        }
        Body.push_back(On ? 0x00 : 0x3C); // a 32nd note at 480 ppqn lasts 60 ticks
        if (On)
            Body.push_back(static_cast<uint8_t>(0x90 | Channel));
        Body.insert(Body.end(), {static_cast<uint8_t>(36 + Note % 48), static_cast<uint8_t>(On ? 100 : 0)});
        On = !On;
    }
    Body.insert(Body.end(), {0x00, 0xFF, 0x2F, 0x00});
    TBytes Chunk = {'M', 'T', 'r', 'k'};
    AppendBigEndian32(Chunk, static_cast<uint32_t>(Body.size()));
    Chunk.insert(Chunk.end(), Body.begin(), Body.end());
    return Chunk;
}

struct TSongFile {
    std::string Path;
    int64_t Bytes;
    int64_t Events;
};

TSongFile WriteSong(const std::string& Name, int Tracks, int EventsPerTrack)
{
    TBytes File = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<uint8_t>(Tracks), 0x01, 0xE0};
    for (int T = 0; T < Tracks; ++T) {
        const TBytes Track = NoteTrack(T, EventsPerTrack);
        File.insert(File.end(), Track.begin(), Track.end());
    }
    const std::string Path = (std::filesystem::temp_directory_path() / Name).string();
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(File.data()), static_cast<std::streamsize>(File.size()));
    return {Path, static_cast<int64_t>(File.size()), static_cast<int64_t>(Tracks) * (EventsPerTrack - 1)};
}

const TSongFile& LargeSong()
{
    static const TSongFile Song = WriteSong("bivoxa-bench-large.mid", 16, 99990);
    return Song;
}

const TSongFile& TypicalSong()
{
    static const TSongFile Song = WriteSong("bivoxa-bench-typical.mid", 8, 2000);
    return Song;
}

void Report(benchmark::State& State, const TSongFile& Song)
{
    State.SetBytesProcessed(State.iterations() * Song.Bytes);
    State.SetItemsProcessed(State.iterations() * Song.Events);
    State.counters["file_kB"] = static_cast<double>(Song.Bytes) / 1024.0;
}

void LoadWithBivoxa(benchmark::State& State, const TSongFile& Song)
{
    for (auto _ : State) {
        TMidiData Data(nullptr);
        Data.SetFileName(Song.Path);
        Data.SetActive(true);
        benchmark::DoNotOptimize(Data.Tracks(0));
    }
    Report(State, Song);
}

void LoadWithLibsmf(benchmark::State& State, const TSongFile& Song)
{
    for (auto _ : State) {
        smf_t* Smf = smf_load(Song.Path.c_str());
        if (Smf == nullptr) {
            State.SkipWithError("libsmf refused the file");
            return;
        }
        benchmark::DoNotOptimize(Smf);
        smf_delete(Smf);
    }
    Report(State, Song);
}

void BM_Bivoxa_Large(benchmark::State& State) { LoadWithBivoxa(State, LargeSong()); }
void BM_Libsmf_Large(benchmark::State& State) { LoadWithLibsmf(State, LargeSong()); }
void BM_Bivoxa_Typical(benchmark::State& State) { LoadWithBivoxa(State, TypicalSong()); }
void BM_Libsmf_Typical(benchmark::State& State) { LoadWithLibsmf(State, TypicalSong()); }

BENCHMARK(BM_Bivoxa_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libsmf_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bivoxa_Typical)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libsmf_Typical)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
