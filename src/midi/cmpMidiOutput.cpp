#include "cmpMidiOutput.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

TVirtualMIDIPort VirtualMIDIPort;

// The process's device records. Activation and deactivation run on the main
// thread. The list lock guards only the list itself and is never held while a
// record lock is taken; a record lock may be held while the list lock is taken.
class TOutputPortList {
public:
    ~TOutputPortList()
    {
        for (auto& Record : FRecords)
            Record->Handle.reset(); // a port still active at exit loses its device here
    }

    static TOutputPortList& Instance()
    {
        MidiDevices(); // the device layer must outlive the records
        static TOutputPortList List;
        return List;
    }

    // Notify routine of every opened device: the instance value holds the list slot
    // in its low 16 bits and the opener's user slot in its high 16 bits.
    static void Notify(uint32_t Message, uintptr_t Instance, uintptr_t Param1, uintptr_t Param2)
    {
        TPhysicalOutputPort* Record = TOutputPortList::Instance().RecordAt(Instance & 0xFFFF);
        if (Record == nullptr)
            return;
        TMidiOutputPort* User = nullptr;
        {
            std::lock_guard<std::recursive_mutex> Guard(Record->Lock);
            const size_t UserSlot = Instance >> 16;
            if (UserSlot < Record->Users.size())
                User = Record->Users[UserSlot];
        }
        if (User != nullptr)
            User->DeviceMessage(Message, Param1, Param2);
    }

    // Joins the first record open on the port's id, or opens a new one.
    void Join(TMidiOutputPort& Port)
    {
        if (TPhysicalOutputPort* Record = OpenRecord(Port.FPortId)) {
            std::lock_guard<std::recursive_mutex> Guard(Record->Lock);
            Port.FUserSlot = AddUser(*Record, Port);
            Port.FRecord.store(Record);
            return;
        }
        TPhysicalOutputPort& Record = FreeRecord();
        {
            std::lock_guard<std::recursive_mutex> Guard(Record.Lock);
            Record.InUse = true;
            Record.DeviceId = Port.FPortId;
            std::memset(Record.Program, 0, sizeof Record.Program);
            for (auto& Channel : Record.Controllers)
                std::copy(DefaultControllerValues.begin(), DefaultControllerValues.end(), Channel);
            Record.Users.assign(1, &Port);
            Port.FUserSlot = 0;
        }
        if (Port.FPortId <= VirtualPortId) {
            Port.DeviceMessage(mnOutputOpen, 0, 0);
        } else {
            auto Device = MidiDevices().OpenOutput(Port.FPortId, &TOutputPortList::Notify,
                static_cast<uintptr_t>(Record.ListSlot));
            if (!Device) {
                Release(Record);
                throw EMidiOutputPort("Unable to open port");
            }
            std::lock_guard<std::recursive_mutex> Guard(Record.Lock);
            Record.Handle = std::move(Device);
        }
        Port.FRecord.store(&Record);
    }

    // Leaves the record; the last user closes the device.
    void Leave(TMidiOutputPort& Port, TPhysicalOutputPort& Record)
    {
        std::unique_lock<std::recursive_mutex> Guard(Record.Lock);
        Record.Users[Port.FUserSlot] = nullptr;
        Port.FRecord.store(nullptr);
        for (TMidiOutputPort* User : Record.Users)
            if (User != nullptr)
                return;
        Record.Users[0] = &Port; // so that the close notification reaches it
        std::unique_ptr<TMidiOutputDevice> Device = std::move(Record.Handle);
        Guard.unlock();
        if (Device) {
            Device->Reset();
            Device.reset();
        }
        Release(Record);
    }

private:
    TPhysicalOutputPort* OpenRecord(int32_t DeviceId)
    {
        std::lock_guard<std::mutex> ListGuard(FLock);
        for (auto& Record : FRecords)
            if (Record->InUse && Record->DeviceId == DeviceId)
                return Record.get();
        return nullptr;
    }

    TPhysicalOutputPort* RecordAt(size_t ListSlot)
    {
        std::lock_guard<std::mutex> ListGuard(FLock);
        return ListSlot < FRecords.size() ? FRecords[ListSlot].get() : nullptr;
    }

    static size_t AddUser(TPhysicalOutputPort& Record, TMidiOutputPort& Port)
    {
        for (size_t Slot = 0; Slot < Record.Users.size(); ++Slot) {
            if (Record.Users[Slot] == nullptr) {
                Record.Users[Slot] = &Port;
                return Slot;
            }
        }
        Record.Users.push_back(&Port);
        return Record.Users.size() - 1;
    }

    TPhysicalOutputPort& FreeRecord()
    {
        std::lock_guard<std::mutex> ListGuard(FLock);
        for (auto& Record : FRecords)
            if (!Record->InUse)
                return *Record;
        FRecords.push_back(std::make_unique<TPhysicalOutputPort>());
        FRecords.back()->ListSlot = static_cast<int32_t>(FRecords.size() - 1);
        return *FRecords.back();
    }

    static void Release(TPhysicalOutputPort& Record)
    {
        std::lock_guard<std::recursive_mutex> Guard(Record.Lock);
        Record.Users.clear();
        Record.InUse = false;
    }

    std::mutex FLock;
    std::vector<std::unique_ptr<TPhysicalOutputPort>> FRecords;
};

void TPhysicalOutputPort::Output(const TEventData& Data)
{
    if (DeviceId <= VirtualPortId) {
        if (VirtualMIDIPort.OnShortMessage)
            VirtualMIDIPort.OnShortMessage(&VirtualMIDIPort, Data);
    } else if (Handle) {
        Handle->ShortMessage(PackShortMessage(Data));
    }
}

TMidiOutputPort::TMidiOutputPort(TComponent* Owner) : TComponent(Owner) {}

TMidiOutputPort::~TMidiOutputPort()
{
    BeginDestruction();
    SetActive(false);
    FlushSysex();
}

void TMidiOutputPort::SetPortId(int32_t Value)
{
    if (Value == FPortId)
        return;
    const bool WasActive = Active();
    SetActive(false);
    FPortId = Value;
    SetActive(WasActive);
}

void TMidiOutputPort::SetActive(bool Value)
{
    if (Value == Active())
        return;
    if (Value)
        TOutputPortList::Instance().Join(*this);
    else
        Deactivate();
}

void TMidiOutputPort::Deactivate()
{
    TPhysicalOutputPort* Record = nullptr;
    std::unique_lock<std::recursive_mutex> Guard = LockRecord(Record);
    if (Record == nullptr)
        return;
    AllNotesOffLocked(*Record);
    ResetControllersLocked(*Record);
    Guard.unlock();
    TOutputPortList::Instance().Leave(*this, *Record);
}

TMidiOutputDevice* TMidiOutputPort::Handle() const
{
    TPhysicalOutputPort* Record = FRecord.load();
    return (Record != nullptr && FPortId >= DefaultPortId) ? Record->Handle.get() : nullptr;
}

std::unique_lock<std::recursive_mutex> TMidiOutputPort::LockRecord(TPhysicalOutputPort*& Record) const
{
    Record = FRecord.load();
    if (Record == nullptr)
        return {};
    std::unique_lock<std::recursive_mutex> Guard(Record->Lock);
    // Deactivated meanwhile: the record is no longer ours.
    if (FRecord.load() != Record || FUserSlot >= Record->Users.size() || Record->Users[FUserSlot] != this) {
        Record = nullptr;
        return {};
    }
    return Guard;
}

template <class TAction>
void TMidiOutputPort::WithRecord(TAction&& Action)
{
    TPhysicalOutputPort* Record = nullptr;
    const std::unique_lock<std::recursive_mutex> Guard = LockRecord(Record);
    if (Record != nullptr)
        Action(*Record);
}

void TMidiOutputPort::SendEvent(const TEventData& Data)
{
    if (Data.Status < 0xF0)
        WithRecord([&](TPhysicalOutputPort& Record) { SendEventLocked(Record, Data); });
}

void TMidiOutputPort::SendEventLocked(TPhysicalOutputPort& Record, const TEventData& Data)
{
    const TEventData Copy = Data;
    Record.Output(Copy);
    const TChannel Channel = Copy.Status & 0x0F;
    const uint8_t Data1 = Copy.Data1 & 0x7F, Data2 = Copy.Data2;
    switch (Copy.Status & 0xF0) {
    case 0x90:
        if (Data2 != 0) {
            ++FNoteCounts[Channel][Data1];
            break;
        }
        [[fallthrough]]; // velocity 0 is a Note Off
    case 0x80:
        if (FNoteCounts[Channel][Data1] > 0)
            --FNoteCounts[Channel][Data1];
        break;
    case 0xB0: Record.Controllers[Channel][Data1] = Data2; break;
    case 0xC0: Record.Program[Channel] = Copy.Data1; break;
    default: break;
    }
}

void TMidiOutputPort::AllNotesOff()
{
    WithRecord([this](TPhysicalOutputPort& Record) { AllNotesOffLocked(Record); });
}

void TMidiOutputPort::AllNotesOffLocked(TPhysicalOutputPort& Record)
{
    for (int Channel = 0; Channel < 16; ++Channel)
        for (int Note = 0; Note < 128; ++Note)
            while (FNoteCounts[Channel][Note] > 0)
                SendEventLocked(Record, MakeShortEvent(static_cast<uint8_t>(0x80 | Channel), static_cast<uint8_t>(Note), 0));
    for (int Channel = 0; Channel < 16; ++Channel)
        if (Record.Controllers[Channel][64] != DefaultControllerValues[64])
            SendEventLocked(Record, MakeShortEvent(static_cast<uint8_t>(0xB0 | Channel), 64, 0));
}

void TMidiOutputPort::ResetControllers()
{
    WithRecord([this](TPhysicalOutputPort& Record) { ResetControllersLocked(Record); });
}

void TMidiOutputPort::ResetControllersLocked(TPhysicalOutputPort& Record)
{
    for (int Channel = 0; Channel < 16; ++Channel) {
        for (int Controller = 0; Controller < 128; ++Controller) {
            const int32_t Default = DefaultControllerValues[Controller];
            if (Record.Controllers[Channel][Controller] == Default)
                continue;
            Record.Output(MakeShortEvent(static_cast<uint8_t>(0xB0 | Channel), static_cast<uint8_t>(Controller),
                static_cast<uint8_t>(Default)));
            Record.Controllers[Channel][Controller] = Default;
        }
    }
}

void TMidiOutputPort::SetPatch(TPatchNo Program, TChannel Channel)
{
    WithRecord([Program, Channel = Channel & 0x0F](TPhysicalOutputPort& Record) {
        if (Record.Program[Channel] == Program)
            return;
        Record.Output(MakeShortEvent(static_cast<uint8_t>(0xC0 | Channel), Program));
        Record.Program[Channel] = Program;
    });
}

void TMidiOutputPort::SendSysex(const uint8_t* Data, int32_t Length)
{
    if (FPortId <= VirtualPortId) {
        if (VirtualMIDIPort.OnSysex)
            VirtualMIDIPort.OnSysex(&VirtualMIDIPort, Data, Length);
        return;
    }
    TPhysicalOutputPort* Record = nullptr;
    const std::unique_lock<std::recursive_mutex> Guard = LockRecord(Record);
    if (Record == nullptr || !Record->Handle)
        return;
    CleanupSysex();
    auto Buffer = std::make_unique<TMidiBuffer>();
    Buffer->Length = static_cast<uint16_t>(Length);
    Buffer->Data = new uint8_t[Buffer->Length > 0 ? Buffer->Length : 1];
    std::memcpy(Buffer->Data, Data, Buffer->Length);
    FPendingSysex.push_back(std::move(Buffer));
    Record->Handle->LongMessage(*FPendingSysex.back());
}

void TMidiOutputPort::CleanupSysex()
{
    for (auto Pending = FPendingSysex.begin(); Pending != FPendingSysex.end();) {
        if (((*Pending)->Flags.load() & mbDone) != 0) {
            delete[] (*Pending)->Data;
            Pending = FPendingSysex.erase(Pending);
        } else {
            ++Pending;
        }
    }
}

void TMidiOutputPort::FlushSysex()
{
    do {
        CleanupSysex();
        std::this_thread::sleep_for(std::chrono::milliseconds(FSysexLatency));
    } while (!FPendingSysex.empty());
}

void TMidiOutputPort::DeviceMessage(uint32_t, uintptr_t, uintptr_t) {}

int32_t TMidiOutputPort::NoteCount(TChannel Channel, uint8_t Note) const
{
    TPhysicalOutputPort* Record = nullptr;
    const std::unique_lock<std::recursive_mutex> Guard = LockRecord(Record);
    return FNoteCounts[Channel & 0x0F][Note & 0x7F];
}
