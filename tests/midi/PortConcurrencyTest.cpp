// Ports entered from three threads at once, as the timer, the input and the main
// thread do: the books stay exact and every Note On gets its Note Off.
#include "cmpMidiInput.h"
#include "cmpMidiOutput.h"

#include "Loopback.h"

#include <array>
#include <atomic>
#include <thread>

namespace {

constexpr int PortA = 0, PortB = 1, Keys = 0;

// Per device: the notes still sounding, counting stacked Note Ons; a Note Off
// for a silent note changes nothing.
std::array<int, 16 * 128> Sounding(const TMessages& Messages)
{
    std::array<int, 16 * 128> Open{};
    for (const auto& Message : Messages) {
        const int Kind = Message[0] & 0xF0, Index = (Message[0] & 0x0F) * 128 + Message[1];
        if (Kind == 0x90 && Message[2] != 0)
            ++Open[static_cast<size_t>(Index)];
        else if ((Kind == 0x80 || Kind == 0x90) && Open[static_cast<size_t>(Index)] > 0)
            --Open[static_cast<size_t>(Index)];
    }
    return Open;
}

} // namespace

class PortConcurrency : public LoopbackTest {};

TEST_F(PortConcurrency, ThreeThreadsThroughTheSamePortsLeaveNoNoteHanging)
{
    TMidiOutputPort PortAOut(nullptr), PortBOut(nullptr), Track(nullptr);
    for (auto [Port, Id] : {std::pair{&PortAOut, PortA}, std::pair{&PortBOut, PortB}, std::pair{&Track, VirtualPortId}}) {
        Port->SetSysexLatency(0);
        Port->SetPortId(Id);
        Port->SetActive(true);
    }
    auto Split = [&](const TEventData& Data) { ((Data.Status & 1) == 0 ? PortAOut : PortBOut).SendEvent(Data); };
    VirtualMIDIPort.OnShortMessage = [&](void*, const TEventData& Data) { Split(Data); };
    TMidiInput Input(nullptr);
    Input.SetStepMode(true);
    Input.OnStepData = Split;
    Input.SetDeviceActive(Keys, true);

    constexpr int Rounds = 4000;
    std::atomic<bool> Done{false};
    std::thread Timer([&] {
        for (int I = 0; I < Rounds; ++I) {
            const auto Channel = static_cast<uint8_t>(I % 16);
            Track.SendEvent(MakeShortEvent(0x90 | Channel, static_cast<uint8_t>(I % 128), 100));
            if (I % 3 == 0)
                Track.SendEvent(MakeShortEvent(0x80 | Channel, static_cast<uint8_t>(I % 128), 0));
        }
    });
    std::thread Live([&] {
        for (int I = 0; I < Rounds; ++I) {
            const uint32_t Channel = static_cast<uint32_t>(I % 16), Note = static_cast<uint32_t>((I * 7) % 128);
            Loopback().Inject(Keys, 0x90 | Channel | (Note << 8) | (64u << 16));
            Loopback().Inject(Keys, 0x90 | Channel | (Note << 8)); // velocity 0
            Loopback().Inject(Keys, 0x90 | Channel | (Note << 8) | (1u << 16));
        }
    });
    std::thread Main([&] {
        while (!Done.load()) {
            PortAOut.AllNotesOff();
            Track.AllNotesOff();
            PortBOut.ResetControllers();
            std::this_thread::yield();
        }
    });
    Timer.join();
    Live.join();
    Done.store(true);
    Main.join();

    Track.AllNotesOff();
    PortAOut.AllNotesOff();
    PortBOut.AllNotesOff();
    Input.SetDeviceActive(Keys, false);
    VirtualMIDIPort.OnShortMessage = nullptr;

    const std::array<int, 16 * 128> Silent{};
    EXPECT_EQ(Sounding(Sent(PortA)), Silent);
    EXPECT_EQ(Sounding(Sent(PortB)), Silent);
    EXPECT_GT(Sent(PortA).size() + Sent(PortB).size(), static_cast<size_t>(Rounds * 3));
}
