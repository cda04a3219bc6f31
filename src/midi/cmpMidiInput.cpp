#include "cmpMidiInput.h"

#include <chrono>
#include <thread>

namespace {

bool SlotIndexValid(int DeviceIndex) { return DeviceIndex >= 0 && DeviceIndex < TMidiInput::MaxInputDevices; }

void FreeBuffer(TMidiBuffer* Buffer)
{
    delete[] Buffer->Data;
    delete Buffer;
}

} // namespace

TMidiInput::TMidiInput(TComponent* Owner) : TComponent(Owner) {}

TMidiInput::~TMidiInput()
{
    BeginDestruction();
    for (int I = 0; I < MaxInputDevices; ++I)
        CloseDevice(I);
    // Buffers normally come back during the closes; wait a little for stragglers.
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        ReclaimBuffers();
        if (BufferCount() == 0 || std::chrono::steady_clock::now() >= Deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::lock_guard<std::mutex> Guard(FBufferLock);
    for (TMidiBuffer* Buffer : FBuffers)
        FreeBuffer(Buffer); // never handed back: the device is gone, so nothing refers to it
    FBuffers.clear();
}

void TMidiInput::SetDeviceActive(int DeviceIndex, bool Active)
{
    if (!SlotIndexValid(DeviceIndex) || FSlots[static_cast<size_t>(DeviceIndex)].Open == Active)
        return;
    if (Active)
        OpenDevice(DeviceIndex);
    else
        CloseDevice(DeviceIndex);
}

bool TMidiInput::DeviceActive(int DeviceIndex) const
{
    return SlotIndexValid(DeviceIndex) && FSlots[static_cast<size_t>(DeviceIndex)].Open;
}

void TMidiInput::OpenDevice(int DeviceIndex)
{
    TSlot& Slot = FSlots[static_cast<size_t>(DeviceIndex)];
    if (Slot.Open)
        return;
    auto Device = MidiDevices().OpenInput(DeviceIndex, &TMidiInput::Notify, reinterpret_cast<uintptr_t>(this));
    if (!Device)
        return;
    TMidiInputDevice* Opened = Device.get();
    {
        std::lock_guard<std::mutex> Guard(FBufferLock);
        Slot.Closing = false;
        Slot.Device = std::move(Device);
    }
    AddBuffer(DeviceIndex);
    AddBuffer(DeviceIndex);
    Opened->Start();
    Slot.Open = true;
}

void TMidiInput::CloseDevice(int DeviceIndex)
{
    TSlot& Slot = FSlots[static_cast<size_t>(DeviceIndex)];
    if (!Slot.Open)
        return;
    TMidiInputDevice* Device;
    {
        std::lock_guard<std::mutex> Guard(FBufferLock);
        Slot.Closing = true;
        Device = Slot.Device.get();
    }
    Device->Stop();
    Device->Reset(); // every queued buffer comes back and is freed
    std::unique_ptr<TMidiInputDevice> Closed;
    {
        std::lock_guard<std::mutex> Guard(FBufferLock);
        Closed = std::move(Slot.Device);
    }
    Closed.reset();
    Slot.Open = false;
}

void TMidiInput::AddBuffer(int DeviceIndex)
{
    ReclaimBuffers();
    auto* Buffer = new TMidiBuffer;
    Buffer->Data = new uint8_t[SysexBufferSize]();
    Buffer->Length = SysexBufferSize;
    Buffer->User = static_cast<uintptr_t>(DeviceIndex);
    std::lock_guard<std::mutex> Guard(FBufferLock);
    FBuffers.push_back(Buffer);
    FSlots[static_cast<size_t>(DeviceIndex)].Device->AddBuffer(*Buffer);
}

// Handed-back buffers are freed when their device is closing and queued again otherwise.
void TMidiInput::ReclaimBuffers()
{
    std::lock_guard<std::mutex> Guard(FBufferLock);
    for (size_t I = 0; I < FBuffers.size();) {
        TMidiBuffer* Buffer = FBuffers[I];
        if ((Buffer->Flags.load() & mbDone) == 0) {
            ++I;
            continue;
        }
        TSlot& Slot = FSlots[Buffer->User];
        if (Slot.Closing || !Slot.Device) {
            FreeBuffer(Buffer);
            FBuffers.erase(FBuffers.begin() + static_cast<std::ptrdiff_t>(I));
        } else {
            Buffer->BytesRecorded = 0;
            Buffer->Offset = 0;
            Slot.Device->AddBuffer(*Buffer); // clears the done flag
            ++I;
        }
    }
}

size_t TMidiInput::BufferCount()
{
    std::lock_guard<std::mutex> Guard(FBufferLock);
    return FBuffers.size();
}

int32_t TMidiInput::EchoPort() const { return FEchoPort != nullptr ? FEchoPort->PortId() : VirtualPortId; }

void TMidiInput::SetEchoPort(int32_t Value)
{
    if (FEchoPort != nullptr && FEchoPort->PortId() == Value)
        return;
    std::lock_guard<std::mutex> Guard(FEchoLock);
    delete FEchoPort;
    FEchoPort = nullptr;
    if (Value == VirtualPortId)
        return;
    FEchoPort = new TMidiOutputPort(this);
    FEchoPort->SetPortId(Value);
    FEchoPort->SetActive(true);
}

void TMidiInput::SetChannelOverride(int32_t Value)
{
    if (Value == FChannelOverride)
        return;
    std::lock_guard<std::mutex> Guard(FEchoLock);
    FChannelOverride = Value;
    if (FEchoPort != nullptr)
        FEchoPort->AllNotesOff();
}

void TMidiInput::Notify(uint32_t Message, uintptr_t Instance, uintptr_t Param1, uintptr_t)
{
    auto* Self = reinterpret_cast<TMidiInput*>(Instance);
    switch (Message) {
    case mnInputData: Self->ShortMessage(static_cast<uint32_t>(Param1)); break;
    case mnInputLongData: Self->LongData(*reinterpret_cast<TMidiBuffer*>(Param1)); break;
    case mnInputLongError: Self->ReclaimBuffers(); break;
    default: break;
    }
}

void TMidiInput::ShortMessage(uint32_t Message)
{
    TEventData Data = MakeShortEvent(static_cast<uint8_t>(Message), static_cast<uint8_t>(Message >> 8),
        static_cast<uint8_t>(Message >> 16));
    {
        std::lock_guard<std::mutex> Guard(FEchoLock);
        if (FEchoPort != nullptr) {
            if (FChannelOverride != -1 && Data.Status < 0xF0)
                Data.Status = static_cast<uint8_t>((Data.Status & 0xF0) + (FChannelOverride & 0x0F));
            FEchoPort->SendEvent(Data);
        }
    }
    if (Data.Status == 0xF8 || Data.Status == 0xFE) {
        if (OnSystemMessage)
            OnSystemMessage(Data);
    } else if (FStepMode && OnStepData) {
        OnStepData(Data);
    }
}

void TMidiInput::LongData(TMidiBuffer& Buffer)
{
    const uint32_t Recorded = Buffer.BytesRecorded;
    if (OnSysexData && Recorded > 0) {
        // A full buffer cannot report 65,536 in 16 bits: it goes out in two calls.
        const uint32_t First = Recorded > 0xFFFF ? 0xFFFF : Recorded;
        OnSysexData(Buffer.Data, static_cast<uint16_t>(First));
        if (Recorded > First)
            OnSysexData(Buffer.Data + First, static_cast<uint16_t>(Recorded - First));
    }
    ReclaimBuffers();
}
