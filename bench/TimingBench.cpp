// Timing of delivered events: plays a dense song (16 channels of 32nd notes at
// 180 bpm for 20 s) to a loopback device and reports, for every delivered
// event, its lateness against the ideal time the tempo map gives, and the CPU
// time the process used per second of playback. Usage: timing_bench [ms...]
// with the timer resolutions to measure (default 4 and 1).
#include "cmpMidiPlayer.h"
#include "platform/MidiDevicesLoopback.h"

#include "SmfBytes.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>

namespace {

constexpr int Channels = 16;
constexpr int NotesPerChannel = 480;      // 20 s of 32nd notes at 180 bpm
constexpr uint32_t TempoUs = 333333;      // 180 bpm
constexpr int32_t TicksPerNote = 60;      // a 32nd note at 480 ppqn

int64_t MonotonicNs()
{
    timespec Now;
    ::clock_gettime(CLOCK_MONOTONIC, &Now);
    return static_cast<int64_t>(Now.tv_sec) * 1000000000 + Now.tv_nsec;
}

double CpuSeconds()
{
    rusage Usage;
    ::getrusage(RUSAGE_SELF, &Usage);
    return static_cast<double>(Usage.ru_utime.tv_sec + Usage.ru_stime.tv_sec)
        + static_cast<double>(Usage.ru_utime.tv_usec + Usage.ru_stime.tv_usec) / 1e6;
}

// Ideal time in ns after the start of the song of the k-th message of a channel:
// Note Ons at k/2 notes, Note Offs half a note later.
double IdealNs(size_t K)
{
    const double Tick = static_cast<double>(K / 2) * TicksPerNote + (K % 2) * (TicksPerNote / 2);
    return Tick * (TempoUs / 1000 * 1000.0) / 480.0 * 1000.0; // the tempo map keeps whole ms per quarter
}

double Percentile(std::vector<double> Values, double Fraction)
{
    std::sort(Values.begin(), Values.end());
    return Values[std::min(Values.size() - 1, static_cast<size_t>(Fraction * static_cast<double>(Values.size())))];
}

void Measure(int32_t Resolution, const TMidiData& Song)
{
    TLoopbackMidiDevices& Devices = *LoopbackMidiDevices();
    Devices.ClearRecords();
    TMidiOutputPort Device(nullptr);
    Device.SetSysexLatency(0);
    Device.SetPortId(0);
    Device.SetActive(true);
    VirtualMIDIPort.OnShortMessage = [&](void*, const TEventData& Data) { Device.SendEvent(Data); };
    TTrackOutputs Routing(nullptr);
    Routing.SetDefaultOutputPort(VirtualPortId);
    Routing.SetMidiData(const_cast<TMidiData*>(&Song));
    Routing.SetActive(true);
    TMidiPlayer Player(nullptr);
    Player.SetTimerResolution(Resolution);
    Player.SetBoostPriority(true);
    Player.SetTrackOutputs(&Routing);
    std::mutex Lock;
    std::condition_variable Stopped;
    bool Done = false;
    Player.OnStop = [&](void*) {
        std::lock_guard<std::mutex> Guard(Lock);
        Done = true;
        Stopped.notify_all();
    };

    const double CpuBefore = CpuSeconds();
    const int64_t Start = MonotonicNs();
    Player.SetPlay(true);
    {
        std::unique_lock<std::mutex> Guard(Lock);
        Stopped.wait(Guard, [&] { return Done; });
    }
    const double WallSeconds = static_cast<double>(MonotonicNs() - Start) / 1e9;
    const double CpuUsed = CpuSeconds() - CpuBefore;
    Routing.SetActive(false);
    VirtualMIDIPort.OnShortMessage = nullptr;

    std::vector<double> LatenessMs;
    std::vector<size_t> PerChannel(Channels, 0);
    for (const TRecordedMessage& Message : Devices.Recorded(0)) {
        const int Status = static_cast<int>(Message.Short & 0xFF);
        if ((Status & 0xE0) != 0x80)
            continue; // Note On and Note Off only
        const size_t K = PerChannel[static_cast<size_t>(Status & 0x0F)]++;
        LatenessMs.push_back((static_cast<double>(Message.TimeNs - Start) - IdealNs(K)) / 1e6);
    }
    std::printf("TimerResolution %2d ms: %zu events, lateness p50 %.2f ms, p99 %.2f ms, max %.2f ms; "
                "CPU %.1f ms per second of playback (%.2f %%)\n",
        Resolution, LatenessMs.size(), Percentile(LatenessMs, 0.5), Percentile(LatenessMs, 0.99),
        *std::max_element(LatenessMs.begin(), LatenessMs.end()), CpuUsed / WallSeconds * 1000.0,
        CpuUsed / WallSeconds * 100.0);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("BIVOXA_MIDI_API", "loopback", 1);
    LoopbackMidiDevices()->SetDevices({"Recorder"}, {});
    TMidiData Song(nullptr);
    const TBytes File = DenseSong(Channels, NotesPerChannel, TempoUs);
    TMemoryStream Stream(File.data(), static_cast<int64_t>(File.size()));
    Song.LoadFromStream(Stream);
    std::vector<int32_t> Resolutions;
    for (int I = 1; I < argc; ++I)
        Resolutions.push_back(std::atoi(argv[I]));
    if (Resolutions.empty())
        Resolutions = {4, 1};
    for (int32_t Resolution : Resolutions)
        Measure(Resolution, Song);
    return 0;
}
