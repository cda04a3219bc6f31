// The MIDI device layer: output and input devices behind one interface.
// The backend is chosen once, at first use, by BIVOXA_MIDI_API:
// "alsa" (the default), "jack" (also used when ALSA cannot be opened) or "loopback".
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Notifications delivered to a device's notify routine.
enum : uint32_t {
    mnInputOpen = 0x3C1,
    mnInputClose = 0x3C2,
    mnInputData = 0x3C3,      // Param1: packed short message, Param2: time stamp in ms
    mnInputLongData = 0x3C4,  // Param1: the returned TMidiBuffer*
    mnInputError = 0x3C5,
    mnInputLongError = 0x3C6, // Param1: the returned TMidiBuffer*
    mnOutputOpen = 0x3C7,
    mnOutputClose = 0x3C8,
    mnOutputDone = 0x3C9,     // Param1: the completed TMidiBuffer*
};

constexpr uint32_t mbDone = 1; // bit of TMidiBuffer::Flags: the device has finished with it

// A buffer of long (system-exclusive) data lent to a device.
struct TMidiBuffer {
    uint8_t* Data = nullptr;
    uint32_t Length = 0;        // size of Data
    uint32_t BytesRecorded = 0; // input: bytes the device filled in
    uintptr_t User = 0;         // free for the owner
    uint32_t Offset = 0;
    std::atomic<uint32_t> Flags{0};
};

// Bytes in a short message with this status, the status included.
constexpr size_t ShortMessageLength(uint8_t Status)
{
    if (Status < 0xF0)
        return (Status & 0xE0) == 0xC0 ? 2 : 3; // Program Change and Channel Pressure carry one data byte
    if (Status == 0xF2)
        return 3;
    return (Status == 0xF1 || Status == 0xF3) ? 2 : 1;
}

using TMidiNotify = void (*)(uint32_t Message, uintptr_t Instance, uintptr_t Param1, uintptr_t Param2);

// An open output device; destroying it closes it.
class TMidiOutputDevice {
public:
    virtual ~TMidiOutputDevice() = default;
    // Message packed with the status in the lowest byte.
    virtual void ShortMessage(uint32_t Message) = 0;
    // Sends the buffer's Length bytes; on completion sets mbDone and notifies mnOutputDone.
    virtual void LongMessage(TMidiBuffer& Buffer) = 0;
    // Stops every sounding note on the device.
    virtual void Reset() = 0;
    virtual void SetVolume(uint32_t Volume) = 0;
};

// An open input device; destroying it closes it.
class TMidiInputDevice {
public:
    virtual ~TMidiInputDevice() = default;
    // Queues a buffer for system-exclusive data; it comes back with mnInputLongData.
    virtual void AddBuffer(TMidiBuffer& Buffer) = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    // Hands every queued buffer back as completed.
    virtual void Reset() = 0;
};

class TMidiDeviceLayer {
public:
    virtual ~TMidiDeviceLayer() = default;
    virtual std::vector<std::string> OutputNames() = 0;
    virtual std::vector<std::string> InputNames() = 0;
    // Id -1 is the system's default output. nullptr when the device cannot be opened.
    virtual std::unique_ptr<TMidiOutputDevice> OpenOutput(int Id, TMidiNotify Notify, uintptr_t Instance) = 0;
    virtual std::unique_ptr<TMidiInputDevice> OpenInput(int Id, TMidiNotify Notify, uintptr_t Instance) = 0;
};

// The process's device layer, created at first use.
TMidiDeviceLayer& MidiDevices();
// Closes the backend's own clients; devices still open stay usable until destroyed.
void ShutdownMidiDevices();

// An ALSA port name without its trailing "client:port" numbers, which change
// between boots and replugs: "Synth:Synth MIDI 1 20:0" gives "Synth:Synth MIDI 1".
std::string AlsaStablePortName(const std::string& PortName);

// The backends, for MidiDevices() and for tests that pick one themselves.
std::unique_ptr<TMidiDeviceLayer> CreateRtMidiDevices(bool PreferJack);
