// The real device path over JACK: a TMidiOutputPort delivers to a peer client
// byte-exact, and TMidiInput receives what the peer sends.
#include "cmpMidiInput.h"
#include "cmpMidiOutput.h"
#include "platform/MidiDevices.h"

#include "JackPeer.h"

#include "SmfBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using TMessages = std::vector<std::vector<uint8_t>>;

int IndexOf(const std::vector<std::string>& Names, const std::string& Name)
{
    const auto Found = std::find(Names.begin(), Names.end(), Name);
    return Found == Names.end() ? -1 : static_cast<int>(Found - Names.begin());
}

class JackDevices : public testing::Test {
protected:
    TJackPeer Peer{"peer"};
};

} // namespace

TEST_F(JackDevices, OutputPortDeliversShortMessagesAndSysexByteExact)
{
    const int Device = IndexOf(MidiDevices().OutputNames(), Peer.Name() + ":in");
    ASSERT_GE(Device, 0);
    TMidiOutputPort Port(nullptr);
    Port.SetPortId(Device);
    Port.SetActive(true); // returns once messages sent now will arrive
    const auto Sysex = SysexMessage(200);
    const TMessages Expected = {{0xC1, 0x05}, {0x91, 0x3C, 0x64}, {0xB1, 0x07, 0x50}, {0xE1, 0x00, 0x40}, {0xD1, 0x22}, Sysex,
        {0x81, 0x3C, 0x00}};
    for (size_t I = 0; I < Expected.size(); ++I) {
        const auto& Message = Expected[I];
        if (Message[0] == 0xF0)
            Port.SendSysex(Message.data(), static_cast<int32_t>(Message.size()));
        else
            Port.SendEvent(MakeShortEvent(Message[0], Message[1], Message.size() > 2 ? Message[2] : 0));
    }
    Peer.WaitForEvents(Expected.size());
    EXPECT_EQ(Peer.Messages(), Expected);
    Port.SetActive(false);
}

TEST_F(JackDevices, InputReceivesShortMessagesAndSysexPerBuffer)
{
    const int Device = IndexOf(MidiDevices().InputNames(), Peer.Name() + ":out");
    ASSERT_GE(Device, 0);
    std::mutex Lock;
    TMessages Steps, Sysex;
    TMidiInput Input(nullptr);
    Input.SetStepMode(true);
    Input.OnStepData = [&](const TEventData& Data) {
        std::lock_guard<std::mutex> Guard(Lock);
        Steps.push_back({Data.Status, Data.Data1, Data.Data2});
    };
    Input.OnSysexData = [&](const uint8_t* Data, uint16_t Length) {
        std::lock_guard<std::mutex> Guard(Lock);
        Sysex.emplace_back(Data, Data + Length);
    };
    Input.SetDeviceActive(Device, true);
    ASSERT_TRUE(Input.DeviceActive(Device));

    const auto Short = SysexMessage(200), Long = SysexMessage(70000);
    Peer.Send({0x92, 0x40, 0x7F});
    Peer.Send(Short);
    Peer.Send(Long);
    Peer.Send({0x82, 0x40, 0x00});
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        {
            std::lock_guard<std::mutex> Guard(Lock);
            if (Steps.size() >= 2 || std::chrono::steady_clock::now() > Deadline)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Input.SetDeviceActive(Device, false);

    EXPECT_EQ(Steps, (TMessages{{0x92, 0x40, 0x7F}, {0x82, 0x40, 0x00}}));
    ASSERT_GE(Sysex.size(), 3u);
    EXPECT_EQ(Sysex[0], Short); // one call
    std::vector<uint8_t> Joined;
    for (size_t I = 1; I < Sysex.size(); ++I)
        Joined.insert(Joined.end(), Sysex[I].begin(), Sysex[I].end());
    EXPECT_EQ(Joined, Long); // several calls, in order
}
