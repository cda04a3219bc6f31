#include "MidiDevices.h"

#include "MidiDevicesLoopback.h"

#include <cstdlib>
#include <mutex>
#include <string>

namespace {

std::mutex LayerLock;
TMidiDeviceLayer* Layer = nullptr; // lives until ShutdownMidiDevices, so devices may close at exit

std::unique_ptr<TMidiDeviceLayer> CreateChosenLayer()
{
    const char* Chosen = std::getenv("BIVOXA_MIDI_API");
    const std::string Api = Chosen != nullptr ? Chosen : "";
    if (Api == "loopback")
        return std::make_unique<TLoopbackMidiDevices>();
    return CreateRtMidiDevices(Api == "jack");
}

} // namespace

TMidiDeviceLayer& MidiDevices()
{
    std::lock_guard<std::mutex> Guard(LayerLock);
    if (Layer == nullptr)
        Layer = CreateChosenLayer().release();
    return *Layer;
}

void ShutdownMidiDevices()
{
    std::lock_guard<std::mutex> Guard(LayerLock);
    delete Layer;
    Layer = nullptr;
}
