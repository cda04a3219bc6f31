// Live MIDI from up to 32 MIDI In devices: short messages to OnStepData, timing
// clock and active sensing to OnSystemMessage, system-exclusive data to
// OnSysexData, optionally echoed to an output port of its own.
#pragma once

#include "cmpMidiOutput.h"
#include "platform/Component.h"
#include "platform/MidiDevices.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

using TOnStepData = std::function<void(const TEventData& Data)>;
using TOnSysexData = std::function<void(const uint8_t* data, uint16_t len)>;

class TMidiInput : public TComponent {
public:
    static constexpr int MaxInputDevices = 32;
    static constexpr uint32_t SysexBufferSize = 65536;

    explicit TMidiInput(TComponent* Owner);
    ~TMidiInput() override;

    // Opens (true) or closes (false) the input device at DeviceIndex; a device that
    // cannot be opened stays closed without a message. Indexes beyond 31 are ignored.
    void SetDeviceActive(int DeviceIndex, bool Active);
    bool DeviceActive(int DeviceIndex) const;

    int32_t EchoPort() const;
    // Raises EMidiOutputPort when the echo port cannot be opened.
    void SetEchoPort(int32_t Value);
    int32_t ChannelOverride() const { return FChannelOverride; }
    void SetChannelOverride(int32_t Value);
    bool StepMode() const { return FStepMode; }
    void SetStepMode(bool Value) { FStepMode = Value; }

    TOnStepData OnStepData;
    TOnStepData OnSystemMessage;
    TOnSysexData OnSysexData;

    // Buffers queued or handed back, over all devices.
    size_t BufferCount();

private:
    struct TSlot {
        bool Open = false;
        bool Closing = false;
        std::unique_ptr<TMidiInputDevice> Device;
    };

    static void Notify(uint32_t Message, uintptr_t Instance, uintptr_t Param1, uintptr_t Param2);
    void OpenDevice(int DeviceIndex);
    void CloseDevice(int DeviceIndex);
    void AddBuffer(int DeviceIndex);
    void ReclaimBuffers();
    void ShortMessage(uint32_t Message);
    void LongData(TMidiBuffer& Buffer);

    std::array<TSlot, MaxInputDevices> FSlots;
    std::mutex FBufferLock; // the buffer list and the slots' devices and closing flags
    std::vector<TMidiBuffer*> FBuffers;
    std::mutex FEchoLock;
    TMidiOutputPort* FEchoPort = nullptr; // owned as a component
    int32_t FChannelOverride = -1;
    bool FStepMode = false;
};
