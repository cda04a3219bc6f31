#include "cmpMidiOutput.h"

#include "Loopback.h"

#include <memory>

namespace {

constexpr int SynthA = 0, SynthB = 1;

std::unique_ptr<TMidiOutputPort> OpenPort(int32_t Id)
{
    auto Port = std::make_unique<TMidiOutputPort>(nullptr);
    Port->SetSysexLatency(0);
    Port->SetPortId(Id);
    Port->SetActive(true);
    return Port;
}

void Send(TMidiOutputPort& Port, const std::vector<uint8_t>& Bytes)
{
    Port.SendEvent(MakeShortEvent(Bytes[0], Bytes.size() > 1 ? Bytes[1] : 0, Bytes.size() > 2 ? Bytes[2] : 0));
}

class MidiOutputPort : public LoopbackTest {};

struct TBooksCase {
    std::string Name;
    TMessages Before;    // sent through the port first
    TMessages NotesOff;  // what AllNotesOff then sends
};

class NoteBooks : public MidiOutputPort, public testing::WithParamInterface<TBooksCase> {};

} // namespace

TEST_P(NoteBooks, AllNotesOffSendsExactlyWhatIsOutstanding)
{
    auto Port = OpenPort(SynthA);
    for (const auto& Message : GetParam().Before)
        Send(*Port, Message);
    Loopback().ClearRecords();
    Port->AllNotesOff();
    EXPECT_EQ(Sent(SynthA), GetParam().NotesOff);
    Loopback().ClearRecords();
    Port->AllNotesOff();
    EXPECT_EQ(Sent(SynthA), TMessages{}) << "a second AllNotesOff owes nothing";
}

INSTANTIATE_TEST_SUITE_P(Cases, NoteBooks,
    testing::Values(
        TBooksCase{"TwoOnsOneOff", {{0x90, 60, 100}, {0x90, 60, 90}, {0x80, 60, 0}}, {{0x80, 60, 0}}},
        TBooksCase{"VelocityZeroIsNoteOff", {{0x91, 61, 100}, {0x91, 61, 0}}, {}},
        TBooksCase{"OffWithoutOnIsNotCounted", {{0x80, 62, 0}, {0x90, 62, 1}}, {{0x80, 62, 0}}},
        TBooksCase{"ChannelsAndNotesInOrder", {{0x9F, 10, 1}, {0x90, 99, 1}, {0x90, 3, 1}, {0x90, 3, 1}},
            {{0x80, 3, 0}, {0x80, 3, 0}, {0x80, 99, 0}, {0x8F, 10, 0}}},
        TBooksCase{"SustainIsReleased", {{0xB2, 64, 127}, {0xB3, 64, 0}}, {{0xB2, 64, 0}}},
        TBooksCase{"SystemStatusesAreNeverSent", {{0xF8}, {0xF0, 1, 2}}, {}}),
    [](const testing::TestParamInfo<TBooksCase>& Info) { return Info.param.Name; });

TEST_F(MidiOutputPort, StatusesFromF0AreNotSent)
{
    auto Port = OpenPort(SynthA);
    Send(*Port, {0xF8});
    Send(*Port, {0xFF, 0x2F, 0});
    Send(*Port, {0x93, 60, 100});
    EXPECT_EQ(Sent(SynthA), (TMessages{{0x93, 60, 100}}));
}

TEST_F(MidiOutputPort, ResetControllersSendsOnlyWhatDiffersFromTheDefaults)
{
    auto Port = OpenPort(SynthA);
    Send(*Port, {0xB3, 7, 100});
    Send(*Port, {0xB3, 10, 64}); // pan at its default already
    Send(*Port, {0xB0, 1, 5});
    Loopback().ClearRecords();
    Port->ResetControllers();
    EXPECT_EQ(Sent(SynthA), (TMessages{{0xB0, 1, 0}, {0xB3, 7, 90}}));
    Loopback().ClearRecords();
    Port->ResetControllers();
    EXPECT_EQ(Sent(SynthA), TMessages{});
}

TEST_F(MidiOutputPort, ControllerBooksBelongToTheSharedDevice)
{
    auto First = OpenPort(SynthA);
    auto Second = OpenPort(SynthA);
    Send(*First, {0xB5, 91, 0});
    Loopback().ClearRecords();
    Second->ResetControllers();
    EXPECT_EQ(Sent(SynthA), (TMessages{{0xB5, 91, 40}}));
}

TEST_F(MidiOutputPort, SetPatchSendsOnlyOnChange)
{
    auto Port = OpenPort(SynthA);
    Port->SetPatch(5, 2);
    Port->SetPatch(5, 2);
    Port->SetPatch(0, 3); // programs start at 0
    EXPECT_EQ(Sent(SynthA), (TMessages{{0xC2, 5}}));
    Send(*Port, {0xC2, 7});
    Port->SetPatch(5, 2);
    EXPECT_EQ(Sent(SynthA), (TMessages{{0xC2, 5}, {0xC2, 7}, {0xC2, 5}}));
}

TEST_F(MidiOutputPort, SharedDeviceIsOpenedOnceAndClosedByTheLastUser)
{
    const int OpensBefore = Loopback().OpenCount(SynthB);
    const int ClosesBefore = Loopback().CloseCount(SynthB);
    auto First = OpenPort(SynthB);
    auto Second = OpenPort(SynthB);
    EXPECT_EQ(Loopback().OpenCount(SynthB), OpensBefore + 1);
    Send(*First, {0x90, 40, 100});
    First->SetActive(false);
    EXPECT_TRUE(Loopback().IsOpen(SynthB));
    EXPECT_EQ(Sent(SynthB), (TMessages{{0x90, 40, 100}, {0x80, 40, 0}}));
    Second.reset();
    EXPECT_FALSE(Loopback().IsOpen(SynthB));
    EXPECT_EQ(Loopback().CloseCount(SynthB), ClosesBefore + 1);
    EXPECT_EQ(First->Handle(), nullptr);
}

TEST_F(MidiOutputPort, MovingAnActivePortReleasesTheOldDeviceFirst)
{
    auto Port = OpenPort(SynthA);
    Send(*Port, {0x90, 60, 100});
    Send(*Port, {0xB0, 7, 127});
    Port->SetPortId(SynthB);
    EXPECT_TRUE(Port->Active());
    EXPECT_FALSE(Loopback().IsOpen(SynthA));
    EXPECT_TRUE(Loopback().IsOpen(SynthB));
    const TMessages OnA = Sent(SynthA);
    ASSERT_GE(OnA.size(), 4u);
    EXPECT_EQ(TMessages(OnA.begin() + 2, OnA.begin() + 4), (TMessages{{0x80, 60, 0}, {0xB0, 7, 90}}));
    EXPECT_EQ(Sent(SynthB), TMessages{});
    EXPECT_EQ(Port->NoteCount(0, 60), 0);
}

TEST_F(MidiOutputPort, DeviceThatCannotBeOpenedRaisesAndStaysInactive)
{
    TMidiOutputPort Port(nullptr);
    Port.SetSysexLatency(0);
    Port.SetPortId(17);
    try {
        Port.SetActive(true);
        FAIL() << "opened";
    } catch (const EMidiOutputPort& Error) {
        EXPECT_STREQ(Error.what(), "Unable to open port");
    }
    EXPECT_FALSE(Port.Active());
    Port.SetActive(false);
    EXPECT_NO_THROW(Port.SetPortId(18)); // inactive: nothing is opened
}

TEST_F(MidiOutputPort, VirtualPortHandsCopiesToItsCallbacksAndKeepsBooksWithoutThem)
{
    TMessages Received;
    auto Port = OpenPort(VirtualPortId);
    Send(*Port, {0x94, 64, 10}); // no callback yet: nothing sent, but counted
    VirtualMIDIPort.OnShortMessage = [&](void* Sender, const TEventData& Data) {
        EXPECT_EQ(Sender, &VirtualMIDIPort);
        Received.push_back({Data.Status, Data.Data1, Data.Data2});
    };
    std::vector<uint8_t> Sysex;
    VirtualMIDIPort.OnSysex = [&](void*, const uint8_t* Data, int32_t Length) { Sysex.assign(Data, Data + Length); };
    Port->AllNotesOff();
    Port->SetPatch(3, 1);
    const uint8_t Bytes[3] = {0xF0, 0x7E, 0xF7};
    Port->SendSysex(Bytes, 3);
    VirtualMIDIPort.OnShortMessage = nullptr;
    VirtualMIDIPort.OnSysex = nullptr;
    EXPECT_EQ(Received, (TMessages{{0x84, 64, 0}, {0xC1, 3, 0}}));
    EXPECT_EQ(Sysex, (std::vector<uint8_t>{0xF0, 0x7E, 0xF7}));
    EXPECT_EQ(Port->Handle(), nullptr);
}

TEST_F(MidiOutputPort, SysexReachesTheDeviceWholeAndIsDroppedWhileInactive)
{
    std::vector<uint8_t> Bytes(3000);
    for (size_t I = 0; I < Bytes.size(); ++I)
        Bytes[I] = static_cast<uint8_t>(I & 0x7F);
    Bytes.front() = 0xF0;
    Bytes.back() = 0xF7;
    auto Port = OpenPort(SynthA);
    Port->SendSysex(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    Port->SetActive(false);
    Port->SendSysex(Bytes.data(), 10);
    EXPECT_EQ(Sent(SynthA), TMessages{Bytes});
}
