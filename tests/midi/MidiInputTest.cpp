#include "cmpMidiInput.h"

#include "Loopback.h"
#include "SmfBytes.h"


namespace {

constexpr int Keys1 = 0, Keys2 = 1, SynthC = 2;

class MidiInput : public LoopbackTest {
protected:
    void SetUp() override
    {
        LoopbackTest::SetUp();
        Input.OnStepData = [this](const TEventData& Data) { Steps.push_back({Data.Status, Data.Data1, Data.Data2}); };
        Input.OnSystemMessage = [this](const TEventData& Data) { System.push_back({Data.Status}); };
        Input.OnSysexData = [this](const uint8_t* Data, uint16_t Length) {
            Sysex.push_back(std::vector<uint8_t>(Data, Data + Length));
        };
        Input.SetStepMode(true);
    }

    TMessages Steps, System, Sysex;
    TMidiInput Input{nullptr};
};

std::vector<size_t> Lengths(const TMessages& Messages)
{
    std::vector<size_t> Result;
    for (const auto& Message : Messages)
        Result.push_back(Message.size());
    return Result;
}

} // namespace

TEST_F(MidiInput, OpensEachDeviceOnceWithTwoBuffers)
{
    Input.SetDeviceActive(Keys2, true);
    Input.SetDeviceActive(Keys2, true);
    EXPECT_TRUE(Input.DeviceActive(Keys2));
    EXPECT_EQ(Input.BufferCount(), 2u);
    Input.SetDeviceActive(Keys1, false); // closed already: nothing happens
    Input.SetDeviceActive(40, true);     // beyond the slots: ignored
    Input.SetDeviceActive(5, true);      // no such device: stays closed silently
    EXPECT_FALSE(Input.DeviceActive(5));
    Input.SetDeviceActive(Keys2, false);
    EXPECT_EQ(Input.BufferCount(), 0u);
    EXPECT_FALSE(Loopback().Inject(Keys2, 0x403C91));
}

TEST_F(MidiInput, ShortMessagesGoToTheirHandlers)
{
    Input.SetDeviceActive(Keys1, true);
    for (uint32_t Message : {0x403C91u, 0xF8u, 0xFEu, 0xFAu, 0xFCu, 0x0005C2u})
        EXPECT_TRUE(Loopback().Inject(Keys1, Message));
    EXPECT_EQ(Steps, (TMessages{{0x91, 0x3C, 0x40}, {0xFA, 0, 0}, {0xFC, 0, 0}, {0xC2, 5, 0}}));
    EXPECT_EQ(System, (TMessages{{0xF8}, {0xFE}}));

    Steps.clear();
    Input.OnSystemMessage = nullptr;
    Loopback().Inject(Keys1, 0xF8); // without its handler clock goes nowhere
    Input.SetStepMode(false);
    Loopback().Inject(Keys1, 0x403C91);
    EXPECT_EQ(Steps, TMessages{});
}

TEST_F(MidiInput, EchoWithChannelOverrideChangesWhatTheHandlersSee)
{
    EXPECT_EQ(Input.EchoPort(), VirtualPortId);
    Input.SetChannelOverride(3); // no echo port: changes nothing
    Input.SetDeviceActive(Keys1, true);
    Loopback().Inject(Keys1, 0x403C91);
    Input.SetEchoPort(SynthC);
    Loopback().Inject(Keys1, 0x403C91);
    Loopback().Inject(Keys1, 0xF8);
    EXPECT_EQ(Steps, (TMessages{{0x91, 0x3C, 0x40}, {0x93, 0x3C, 0x40}}));
    Input.SetChannelOverride(-1); // releases what was echoed
    EXPECT_EQ(Sent(SynthC), (TMessages{{0x93, 0x3C, 0x40}, {0x83, 0x3C, 0}}));
    Input.SetEchoPort(VirtualPortId);
    EXPECT_EQ(Input.EchoPort(), VirtualPortId);
}

TEST_F(MidiInput, SysexArrivesPerBufferAndBuffersAreQueuedAgain)
{
    Input.SetDeviceActive(Keys1, true);
    const auto Short = SysexMessage(200);
    ASSERT_TRUE(Loopback().InjectSysex(Keys1, Short));
    EXPECT_EQ(Sysex, TMessages{Short});
    EXPECT_EQ(Input.BufferCount(), 2u);

    Sysex.clear();
    const auto Long = SysexMessage(70000);
    ASSERT_TRUE(Loopback().InjectSysex(Keys1, Long));
    // A full 65,536-byte buffer is reported in two calls; never as a wrapped 0.
    EXPECT_EQ(Lengths(Sysex), (std::vector<size_t>{65535, 1, 4464}));
    std::vector<uint8_t> Joined;
    for (const auto& Piece : Sysex)
        Joined.insert(Joined.end(), Piece.begin(), Piece.end());
    EXPECT_EQ(Joined, Long);
    EXPECT_EQ(Input.BufferCount(), 2u);
}
