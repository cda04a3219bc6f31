#include "MidiDevicesLoopback.h"

#include <algorithm>
#include <ctime>
#include <deque>

namespace {

int64_t MonotonicNs()
{
    timespec Now;
    ::clock_gettime(CLOCK_MONOTONIC, &Now);
    return static_cast<int64_t>(Now.tv_sec) * 1000000000 + Now.tv_nsec;
}

} // namespace

std::vector<uint8_t> TRecordedMessage::Bytes() const
{
    if (Short == 0)
        return Long;
    std::vector<uint8_t> Bytes;
    for (size_t I = 0; I < ShortMessageLength(static_cast<uint8_t>(Short)); ++I)
        Bytes.push_back(static_cast<uint8_t>(Short >> (8 * I)));
    return Bytes;
}

struct TLoopbackMidiDevices::TOutputState {
    std::mutex Lock;
    std::vector<TRecordedMessage> Messages;
    int Opens = 0;
    int Closes = 0;
    bool Open = false;
};

struct TLoopbackMidiDevices::TInputState {
    std::mutex Lock;
    TMidiNotify Notify = nullptr;
    uintptr_t Instance = 0;
    std::deque<TMidiBuffer*> Queue;
    bool Open = false;
    bool Started = false;
    int64_t StartNs = 0;
};

namespace {

class TLoopbackOutput : public TMidiOutputDevice {
public:
    TLoopbackOutput(TLoopbackMidiDevices::TOutputState& State, TMidiNotify Notify, uintptr_t Instance)
        : FState(State), FNotify(Notify), FInstance(Instance)
    {
        FNotify(mnOutputOpen, FInstance, 0, 0);
    }
    ~TLoopbackOutput() override
    {
        {
            std::lock_guard<std::mutex> Guard(FState.Lock);
            FState.Open = false;
            ++FState.Closes;
        }
        FNotify(mnOutputClose, FInstance, 0, 0);
    }

    void ShortMessage(uint32_t Message) override
    {
        if ((Message & 0x80) == 0)
            return; // no status byte: nothing a device would take
        std::lock_guard<std::mutex> Guard(FState.Lock);
        FState.Messages.push_back({MonotonicNs(), Message, {}});
    }

    void LongMessage(TMidiBuffer& Buffer) override
    {
        {
            std::lock_guard<std::mutex> Guard(FState.Lock);
            FState.Messages.push_back({MonotonicNs(), 0, std::vector<uint8_t>(Buffer.Data, Buffer.Data + Buffer.Length)});
        }
        Buffer.Flags.fetch_or(mbDone);
        FNotify(mnOutputDone, FInstance, reinterpret_cast<uintptr_t>(&Buffer), 0);
    }

    void Reset() override {}
    void SetVolume(uint32_t) override {}

private:
    TLoopbackMidiDevices::TOutputState& FState;
    TMidiNotify FNotify;
    uintptr_t FInstance;
};

class TLoopbackInput : public TMidiInputDevice {
public:
    explicit TLoopbackInput(TLoopbackMidiDevices::TInputState& State) : FState(State)
    {
        FState.Notify(mnInputOpen, FState.Instance, 0, 0);
    }
    ~TLoopbackInput() override
    {
        Reset();
        {
            std::lock_guard<std::mutex> Guard(FState.Lock);
            FState.Open = false;
            FState.Started = false;
        }
        FState.Notify(mnInputClose, FState.Instance, 0, 0);
    }

    void AddBuffer(TMidiBuffer& Buffer) override
    {
        Buffer.Flags.fetch_and(~mbDone);
        Buffer.BytesRecorded = 0;
        std::lock_guard<std::mutex> Guard(FState.Lock);
        FState.Queue.push_back(&Buffer);
    }

    void Start() override
    {
        std::lock_guard<std::mutex> Guard(FState.Lock);
        FState.Started = true;
        FState.StartNs = MonotonicNs();
    }

    void Stop() override
    {
        std::lock_guard<std::mutex> Guard(FState.Lock);
        FState.Started = false;
    }

    void Reset() override
    {
        std::deque<TMidiBuffer*> Returned;
        {
            std::lock_guard<std::mutex> Guard(FState.Lock);
            Returned.swap(FState.Queue);
        }
        for (TMidiBuffer* Buffer : Returned) {
            Buffer->Flags.fetch_or(mbDone);
            FState.Notify(mnInputLongData, FState.Instance, reinterpret_cast<uintptr_t>(Buffer), 0);
        }
    }

private:
    TLoopbackMidiDevices::TInputState& FState;
};

TLoopbackMidiDevices* ActiveLoopback = nullptr;

} // namespace

TLoopbackMidiDevices::TLoopbackMidiDevices() { ActiveLoopback = this; }

TLoopbackMidiDevices::~TLoopbackMidiDevices()
{
    if (ActiveLoopback == this)
        ActiveLoopback = nullptr;
}

TLoopbackMidiDevices* LoopbackMidiDevices()
{
    MidiDevices();
    return ActiveLoopback;
}

void TLoopbackMidiDevices::SetDevices(const std::vector<std::string>& Outputs, const std::vector<std::string>& Inputs)
{
    std::lock_guard<std::mutex> Guard(FLock);
    FOutputNames = Outputs;
    FInputNames = Inputs;
    while (FOutputs.size() < Outputs.size())
        FOutputs.emplace_back();
    while (FInputs.size() < Inputs.size())
        FInputs.emplace_back();
}

std::vector<std::string> TLoopbackMidiDevices::OutputNames()
{
    std::lock_guard<std::mutex> Guard(FLock);
    return FOutputNames;
}

std::vector<std::string> TLoopbackMidiDevices::InputNames()
{
    std::lock_guard<std::mutex> Guard(FLock);
    return FInputNames;
}

TLoopbackMidiDevices::TOutputState* TLoopbackMidiDevices::Output(int Id)
{
    std::lock_guard<std::mutex> Guard(FLock);
    if (Id == -1 && !FOutputNames.empty())
        Id = 0;
    if (Id < 0 || Id >= static_cast<int>(FOutputNames.size()))
        return nullptr;
    return &FOutputs[static_cast<size_t>(Id)];
}

TLoopbackMidiDevices::TInputState* TLoopbackMidiDevices::Input(int Id)
{
    std::lock_guard<std::mutex> Guard(FLock);
    if (Id < 0 || Id >= static_cast<int>(FInputNames.size()))
        return nullptr;
    return &FInputs[static_cast<size_t>(Id)];
}

std::unique_ptr<TMidiOutputDevice> TLoopbackMidiDevices::OpenOutput(int Id, TMidiNotify Notify, uintptr_t Instance)
{
    TOutputState* State = Output(Id);
    if (State == nullptr)
        return nullptr;
    {
        std::lock_guard<std::mutex> Guard(State->Lock);
        State->Open = true;
        ++State->Opens;
    }
    return std::make_unique<TLoopbackOutput>(*State, Notify, Instance);
}

std::unique_ptr<TMidiInputDevice> TLoopbackMidiDevices::OpenInput(int Id, TMidiNotify Notify, uintptr_t Instance)
{
    TInputState* State = Input(Id);
    if (State == nullptr)
        return nullptr;
    {
        std::lock_guard<std::mutex> Guard(State->Lock);
        if (State->Open)
            return nullptr; // in use
        State->Open = true;
        State->Notify = Notify;
        State->Instance = Instance;
    }
    return std::make_unique<TLoopbackInput>(*State);
}

std::vector<TRecordedMessage> TLoopbackMidiDevices::Recorded(int Id)
{
    TOutputState* State = Output(Id);
    if (State == nullptr)
        return {};
    std::lock_guard<std::mutex> Guard(State->Lock);
    return State->Messages;
}

std::vector<std::vector<uint8_t>> TLoopbackMidiDevices::RecordedBytes(int Id)
{
    std::vector<std::vector<uint8_t>> Bytes;
    for (const TRecordedMessage& Message : Recorded(Id))
        Bytes.push_back(Message.Bytes());
    return Bytes;
}

void TLoopbackMidiDevices::ClearRecords()
{
    std::lock_guard<std::mutex> Guard(FLock);
    for (TOutputState& State : FOutputs) {
        std::lock_guard<std::mutex> StateGuard(State.Lock);
        State.Messages.clear();
    }
}

template <class TValue>
TValue TLoopbackMidiDevices::ReadOutput(int Id, TValue Default, TValue TOutputState::*Field)
{
    TOutputState* State = Output(Id);
    if (State == nullptr)
        return Default;
    std::lock_guard<std::mutex> Guard(State->Lock);
    return State->*Field;
}

int TLoopbackMidiDevices::OpenCount(int Id) { return ReadOutput(Id, 0, &TOutputState::Opens); }

int TLoopbackMidiDevices::CloseCount(int Id) { return ReadOutput(Id, 0, &TOutputState::Closes); }

bool TLoopbackMidiDevices::IsOpen(int Id) { return ReadOutput(Id, false, &TOutputState::Open); }

bool TLoopbackMidiDevices::Inject(int Id, uint32_t Message)
{
    TInputState* State = Input(Id);
    if (State == nullptr)
        return false;
    TMidiNotify Notify;
    uintptr_t Instance;
    int64_t StartNs;
    {
        std::lock_guard<std::mutex> Guard(State->Lock);
        if (!State->Open || !State->Started)
            return false;
        Notify = State->Notify;
        Instance = State->Instance;
        StartNs = State->StartNs;
    }
    Notify(mnInputData, Instance, Message, static_cast<uintptr_t>((MonotonicNs() - StartNs) / 1000000));
    return true;
}

bool TLoopbackMidiDevices::InjectSysex(int Id, const std::vector<uint8_t>& Bytes)
{
    TInputState* State = Input(Id);
    if (State == nullptr)
        return false;
    size_t Sent = 0;
    while (Sent < Bytes.size()) {
        TMidiBuffer* Buffer;
        {
            std::lock_guard<std::mutex> Guard(State->Lock);
            if (!State->Open || !State->Started || State->Queue.empty())
                return false; // no buffer: the rest is lost, as on a device
            Buffer = State->Queue.front();
            State->Queue.pop_front();
        }
        const size_t Piece = std::min<size_t>(Buffer->Length, Bytes.size() - Sent);
        std::copy_n(Bytes.begin() + static_cast<std::ptrdiff_t>(Sent), Piece, Buffer->Data);
        Buffer->BytesRecorded = static_cast<uint32_t>(Piece);
        Sent += Piece;
        Buffer->Flags.fetch_or(mbDone);
        State->Notify(mnInputLongData, State->Instance, reinterpret_cast<uintptr_t>(Buffer), 0);
    }
    return true;
}
