// Real MIDI devices through RtMidi: ALSA sequencer ports or JACK MIDI ports.
#include "MidiDevices.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

const char* const ClientName = "Bivoxa";

void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}
void IgnoreJackMessage(const char*) {}

// Without these checks RtMidi and the libraries below it print their failures
// to standard error on a machine that has no MIDI system at all.
bool AlsaSequencerPresent() { return ::access("/dev/snd/seq", R_OK | W_OK) == 0; }

bool JackServerRunning()
{
    jack_client_t* Client = jack_client_open("Bivoxa probe", JackNoStartServer, nullptr);
    if (Client == nullptr)
        return false;
    jack_client_close(Client);
    return true;
}

bool IsOwnPort(const std::string& PortName) { return PortName.rfind(ClientName, 0) == 0; }

// A JACK port carries data only from a later process cycle; after an open we wait
// for a few cycles so that messages sent at once are not lost.
class TJackCycles {
public:
    TJackCycles()
    {
        jack_client_t* Client = jack_client_open("Bivoxa clock", JackNoStartServer, nullptr);
        if (Client == nullptr)
            return;
        const jack_nframes_t Frames = jack_get_buffer_size(Client);
        const jack_nframes_t Rate = jack_get_sample_rate(Client);
        if (Rate > 0)
            FCycle = std::chrono::microseconds(1000000ull * Frames / Rate);
        jack_client_close(Client);
    }
    void WaitAfterOpen() const { std::this_thread::sleep_for(FCycle * 3); }

private:
    std::chrono::microseconds FCycle{0};
};

class TRtOutput : public TMidiOutputDevice {
public:
    TRtOutput(std::unique_ptr<RtMidiOut> Port, TMidiNotify Notify, uintptr_t Instance)
        : FPort(std::move(Port)), FNotify(Notify), FInstance(Instance)
    {
        FNotify(mnOutputOpen, FInstance, 0, 0);
    }
    ~TRtOutput() override
    {
        FPort->closePort();
        FPort.reset();
        FNotify(mnOutputClose, FInstance, 0, 0);
    }

    void ShortMessage(uint32_t Message) override
    {
        const uint8_t Bytes[3] = {static_cast<uint8_t>(Message), static_cast<uint8_t>(Message >> 8),
            static_cast<uint8_t>(Message >> 16)};
        if (Bytes[0] >= 0x80)
            FPort->sendMessage(Bytes, ShortMessageLength(Bytes[0]));
    }

    void LongMessage(TMidiBuffer& Buffer) override
    {
        if (Buffer.Length > 0)
            FPort->sendMessage(Buffer.Data, Buffer.Length);
        Buffer.Flags.fetch_or(mbDone);
        FNotify(mnOutputDone, FInstance, reinterpret_cast<uintptr_t>(&Buffer), 0);
    }

    // All Notes Off on every channel.
    void Reset() override
    {
        for (uint32_t Channel = 0; Channel < 16; ++Channel)
            ShortMessage(0xB0 | Channel | (123u << 8));
    }

    void SetVolume(uint32_t) override {} // ALSA and JACK ports have no volume of their own

private:
    std::unique_ptr<RtMidiOut> FPort;
    TMidiNotify FNotify;
    uintptr_t FInstance;
};

class TRtInput : public TMidiInputDevice {
public:
    TRtInput(std::unique_ptr<RtMidiIn> Port, TMidiNotify Notify, uintptr_t Instance)
        : FPort(std::move(Port)), FNotify(Notify), FInstance(Instance)
    {
        FPort->setCallback(&TRtInput::Received, this);
        FNotify(mnInputOpen, FInstance, 0, 0);
    }
    ~TRtInput() override
    {
        FPort->cancelCallback();
        FPort->closePort();
        FPort.reset();
        Reset();
        FNotify(mnInputClose, FInstance, 0, 0);
    }

    void AddBuffer(TMidiBuffer& Buffer) override
    {
        Buffer.Flags.fetch_and(~mbDone);
        Buffer.BytesRecorded = 0;
        std::lock_guard<std::mutex> Guard(FLock);
        FQueue.push_back(&Buffer);
    }

    void Start() override
    {
        FStart = std::chrono::steady_clock::now();
        FStarted.store(true);
    }

    void Stop() override { FStarted.store(false); }

    void Reset() override
    {
        std::deque<TMidiBuffer*> Returned;
        {
            std::lock_guard<std::mutex> Guard(FLock);
            Returned.swap(FQueue);
            FFilling = nullptr;
        }
        for (TMidiBuffer* Buffer : Returned)
            Return(Buffer);
    }

private:
    static void Received(double, std::vector<unsigned char>* Message, void* Self)
    {
        static_cast<TRtInput*>(Self)->Deliver(*Message);
    }

    void Deliver(const std::vector<unsigned char>& Message)
    {
        if (Message.empty() || !FStarted.load())
            return;
        const bool Continuation = Message[0] < 0x80 && FInSysex;
        if (Message[0] == 0xF0 || Continuation) {
            DeliverSysex(Message.data(), Message.size());
            return;
        }
        uint32_t Packed = 0;
        for (size_t I = 0; I < Message.size() && I < 3; ++I)
            Packed |= static_cast<uint32_t>(Message[I]) << (8 * I);
        const auto Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - FStart);
        FNotify(mnInputData, FInstance, Packed, static_cast<uintptr_t>(Elapsed.count()));
    }

    // Fills the queued buffers in turn; a buffer goes back when full or when the message ends.
    void DeliverSysex(const uint8_t* Bytes, size_t Count)
    {
        FInSysex = Bytes[Count - 1] != 0xF7;
        while (Count > 0) {
            TMidiBuffer* Buffer = Filling();
            if (Buffer == nullptr)
                return; // no buffer queued: the data is lost, as on any device
            const size_t Piece = std::min<size_t>(Count, Buffer->Length - Buffer->BytesRecorded);
            std::copy_n(Bytes, Piece, Buffer->Data + Buffer->BytesRecorded);
            Buffer->BytesRecorded += static_cast<uint32_t>(Piece);
            Bytes += Piece;
            Count -= Piece;
            if (Buffer->BytesRecorded == Buffer->Length || (Count == 0 && !FInSysex))
                Return(Dequeue());
        }
    }

    TMidiBuffer* Filling()
    {
        std::lock_guard<std::mutex> Guard(FLock);
        if (FFilling == nullptr && !FQueue.empty())
            FFilling = FQueue.front();
        return FFilling;
    }

    TMidiBuffer* Dequeue()
    {
        std::lock_guard<std::mutex> Guard(FLock);
        TMidiBuffer* Buffer = FFilling;
        if (!FQueue.empty() && FQueue.front() == Buffer)
            FQueue.pop_front();
        FFilling = nullptr;
        return Buffer;
    }

    void Return(TMidiBuffer* Buffer)
    {
        if (Buffer == nullptr)
            return;
        Buffer->Flags.fetch_or(mbDone);
        FNotify(mnInputLongData, FInstance, reinterpret_cast<uintptr_t>(Buffer), 0);
    }

    std::unique_ptr<RtMidiIn> FPort;
    TMidiNotify FNotify;
    uintptr_t FInstance;
    std::mutex FLock;
    std::deque<TMidiBuffer*> FQueue;
    TMidiBuffer* FFilling = nullptr;
    bool FInSysex = false;
    std::atomic<bool> FStarted{false};
    std::chrono::steady_clock::time_point FStart;
};

class TRtMidiDevices : public TMidiDeviceLayer {
public:
    explicit TRtMidiDevices(bool PreferJack) : FApi(PreferJack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA)
    {
        jack_set_error_function(&IgnoreJackMessage);
        jack_set_info_function(&IgnoreJackMessage);
        if (FApi == RtMidi::LINUX_ALSA && !AlsaSequencerPresent())
            FApi = RtMidi::UNIX_JACK;
    }

    std::vector<std::string> OutputNames() override
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FOutputPorts = PortNames<RtMidiOut>();
        return StableNames(FOutputPorts);
    }

    std::vector<std::string> InputNames() override
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FInputPorts = PortNames<RtMidiIn>();
        return StableNames(FInputPorts);
    }

    std::unique_ptr<TMidiOutputDevice> OpenOutput(int Id, TMidiNotify Notify, uintptr_t Instance) override
    {
        auto Port = OpenPort<RtMidiOut>(Id, FOutputPorts);
        return Port ? std::make_unique<TRtOutput>(std::move(Port), Notify, Instance) : nullptr;
    }

    std::unique_ptr<TMidiInputDevice> OpenInput(int Id, TMidiNotify Notify, uintptr_t Instance) override
    {
        auto Port = OpenPort<RtMidiIn>(Id, FInputPorts);
        if (!Port)
            return nullptr;
        Port->ignoreTypes(false, false, false); // system-exclusive, timing clock and active sensing too
        return std::make_unique<TRtInput>(std::move(Port), Notify, Instance);
    }

private:
    // A client of the chosen API; ALSA falls back to JACK when its sequencer cannot be opened.
    template <class TPort>
    std::unique_ptr<TPort> NewClient()
    {
        if (FApi == RtMidi::UNIX_JACK && !JackServerRunning())
            return nullptr; // no MIDI system: simply no devices
        for (;;) {
            try {
                auto Port = std::make_unique<TPort>(FApi, ClientName);
                Port->setErrorCallback(&IgnoreRtMidiError, nullptr);
                return Port;
            } catch (const RtMidiError&) {
                if (FApi != RtMidi::LINUX_ALSA)
                    return nullptr;
                FApi = RtMidi::UNIX_JACK;
            }
        }
    }

    template <class TPort>
    std::vector<std::string> PortNames()
    {
        std::vector<std::string> Names;
        auto Client = NewClient<TPort>();
        if (!Client)
            return Names;
        const unsigned int Count = Client->getPortCount();
        for (unsigned int I = 0; I < Count; ++I) {
            const std::string Name = Client->getPortName(I);
            if (!Name.empty() && !IsOwnPort(Name))
                Names.push_back(Name);
        }
        return Names;
    }

    std::vector<std::string> StableNames(const std::vector<std::string>& Ports) const
    {
        std::vector<std::string> Names;
        for (const std::string& Port : Ports)
            Names.push_back(FApi == RtMidi::LINUX_ALSA ? AlsaStablePortName(Port) : Port);
        return Names;
    }

    // Opens the port that had index Id when the list was read (-1: the first one);
    // ports are found again by name, since opening ports of our own shifts the indexes.
    template <class TPort>
    std::unique_ptr<TPort> OpenPort(int Id, std::vector<std::string>& Known)
    {
        std::lock_guard<std::mutex> Guard(FLock);
        if (Known.empty())
            Known = PortNames<TPort>();
        if (Id == -1 && !Known.empty())
            Id = 0;
        if (Id < 0 || Id >= static_cast<int>(Known.size()))
            return nullptr;
        auto Port = NewClient<TPort>();
        if (!Port)
            return nullptr;
        try {
            for (unsigned int I = 0; I < Port->getPortCount(); ++I) {
                if (Port->getPortName(I) != Known[static_cast<size_t>(Id)])
                    continue;
                Port->openPort(I, ClientName);
                if (!Port->isPortOpen())
                    return nullptr;
                if (FApi == RtMidi::UNIX_JACK)
                    JackCycles().WaitAfterOpen();
                return Port;
            }
        } catch (const RtMidiError&) {
        }
        return nullptr;
    }

    const TJackCycles& JackCycles()
    {
        if (!FJackCycles)
            FJackCycles = std::make_unique<TJackCycles>();
        return *FJackCycles;
    }

    std::mutex FLock;
    RtMidi::Api FApi;
    std::vector<std::string> FOutputPorts;
    std::vector<std::string> FInputPorts;
    std::unique_ptr<TJackCycles> FJackCycles;
};

} // namespace

std::string AlsaStablePortName(const std::string& PortName)
{
    const size_t Blank = PortName.find_last_of(' ');
    if (Blank == std::string::npos)
        return PortName;
    const std::string Numbers = PortName.substr(Blank + 1);
    const size_t Colon = Numbers.find(':');
    const auto IsDigits = [](const std::string& Text) {
        return !Text.empty() && Text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (Colon == std::string::npos || !IsDigits(Numbers.substr(0, Colon)) || !IsDigits(Numbers.substr(Colon + 1)))
        return PortName;
    return PortName.substr(0, Blank);
}

std::unique_ptr<TMidiDeviceLayer> CreateRtMidiDevices(bool PreferJack)
{
    return std::make_unique<TRtMidiDevices>(PreferJack);
}
