// Output ports: every message the player sends goes through a TMidiOutputPort.
// Ports on the same id share one opened device; each keeps books of what it sent,
// so that it can silence its notes and restore controllers sending only what differs.
#pragma once

#include "platform/Component.h"
#include "platform/MidiDevices.h"
#include "platform/SysUtils.h"
#include "unitMidiGlobals.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class EMidiOutputPort : public Exception {
public:
    using Exception::Exception;
};

class TMidiOutputPort;

constexpr int32_t VirtualPortId = -2;
constexpr int32_t DefaultPortId = -1;

// Controller values a device starts with: all 0 but volume 90, pan 64,
// expression 127 and effects 1 depth 40.
inline constexpr std::array<int32_t, 128> DefaultControllerValues = [] {
    std::array<int32_t, 128> Values{};
    Values[7] = 90;
    Values[10] = 64;
    Values[11] = 127;
    Values[91] = 40;
    return Values;
}();

// One opened output shared by every port on the same id. Its lock guards the
// users, the books and the send; it is recursive because a device may notify
// from inside a send. Records are kept for reuse, never freed while the process
// runs, so a port that loses a race with its deactivation still finds a valid
// (if empty) record.
class TPhysicalOutputPort {
public:
    std::recursive_mutex Lock;
    std::unique_ptr<TMidiOutputDevice> Handle;
    int32_t DeviceId = 0;
    int32_t ListSlot = 0;
    bool InUse = false; // changed and read on the main thread only
    std::vector<TMidiOutputPort*> Users; // a departed user leaves an empty slot
    uint8_t Program[16] = {};
    int32_t Controllers[16][128] = {};

    // Sends straight to the output, without books: the device, or the virtual port.
    void Output(const TEventData& Data);
};

// The in-process port, id -2: messages go to these two callbacks.
class TVirtualMIDIPort {
public:
    std::function<void(void* Sender, const uint8_t* Data, int32_t Length)> OnSysex;
    std::function<void(void* Sender, const TEventData& Data)> OnShortMessage;
};

extern TVirtualMIDIPort VirtualMIDIPort;

class TMidiOutputPort : public TComponent {
public:
    explicit TMidiOutputPort(TComponent* Owner);
    ~TMidiOutputPort() override;

    int32_t PortId() const { return FPortId; }
    // An active port moves to the new id, releasing the old device first.
    void SetPortId(int32_t Value);
    bool Active() const { return FRecord.load() != nullptr; }
    // Raises EMidiOutputPort "Unable to open port" when the device cannot be opened.
    void SetActive(bool Value);
    // The opened device, for device-wide settings such as the volume.
    TMidiOutputDevice* Handle() const;
    int32_t SysexLatency() const { return FSysexLatency; }
    void SetSysexLatency(int32_t Value) { FSysexLatency = Value; }

    void SendEvent(const TEventData& Data);
    void AllNotesOff();
    void ResetControllers();
    void SetPatch(TPatchNo Program, TChannel Channel);
    void SendSysex(const uint8_t* Data, int32_t Length);
    void CleanupSysex();
    void FlushSysex();

    // Notifications of the device this port opened; runs on the device layer's thread.
    virtual void DeviceMessage(uint32_t Msg, uintptr_t Param1, uintptr_t Param2);

    // Outstanding Note Ons of a note on a channel, sent through this port.
    int32_t NoteCount(TChannel Channel, uint8_t Note) const;

private:
    friend class TOutputPortList;

    // The record, locked, if this port still uses it; otherwise an unlocked lock.
    std::unique_lock<std::recursive_mutex> LockRecord(TPhysicalOutputPort*& Record) const;
    // Runs Action with this port's record locked, if the port is active.
    template <class TAction>
    void WithRecord(TAction&& Action);
    void SendEventLocked(TPhysicalOutputPort& Record, const TEventData& Data);
    void AllNotesOffLocked(TPhysicalOutputPort& Record);
    void ResetControllersLocked(TPhysicalOutputPort& Record);
    void Deactivate();

    int32_t FPortId = 0;
    std::atomic<TPhysicalOutputPort*> FRecord{nullptr};
    size_t FUserSlot = 0;
    std::vector<std::unique_ptr<TMidiBuffer>> FPendingSysex;
    int32_t FNoteCounts[16][128] = {};
    int32_t FSysexLatency = 50;
};
