// Cost of one SendEvent through the virtual port and the split to a loopback device.
#include "cmpMidiOutput.h"
#include "platform/MidiDevicesLoopback.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_SendEventThroughVirtualPort(benchmark::State& State)
{
    ::setenv("BIVOXA_MIDI_API", "loopback", 1);
    TLoopbackMidiDevices& Devices = *LoopbackMidiDevices();
    Devices.SetDevices({"Synth"}, {});
    TMidiOutputPort PortA(nullptr), Track(nullptr);
    PortA.SetPortId(0);
    PortA.SetActive(true);
    Track.SetPortId(VirtualPortId);
    Track.SetActive(true);
    VirtualMIDIPort.OnShortMessage = [&](void*, const TEventData& Data) { PortA.SendEvent(Data); };
    int64_t Sent = 0;
    for (auto _ : State) {
        const uint8_t Note = static_cast<uint8_t>(Sent & 0x7F);
        Track.SendEvent(MakeShortEvent(0x90, Note, 100));
        Track.SendEvent(MakeShortEvent(0x80, Note, 0));
        Sent += 2;
        if ((Sent & 0xFFFF) == 0) {
            State.PauseTiming();
            Devices.ClearRecords();
            State.ResumeTiming();
        }
    }
    State.SetItemsProcessed(Sent);
    VirtualMIDIPort.OnShortMessage = nullptr;
}

BENCHMARK(BM_SendEventThroughVirtualPort);

} // namespace
