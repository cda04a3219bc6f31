#include "cmpMidiIterator.h"

#include "Loopback.h"
#include "SongFixture.h"

namespace {

// Two tracks at 96 ppqn: a piano with a controller, a program, notes and pitch
// bend; and drums on channel 10 with pressure.
const TBytes Piano = Track({0x00, 0xC0, 0x05, 0x00, 0xB0, 0x07, 0x64, 0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00,
    0x00, 0xE0, 0x00, 0x50, 0x00, 0xC0, 0x06, 0x30, 0x90, 0x3E, 0x40, 0x30, 0x80, 0x3E, 0x00});
const TBytes Drums = Track({0x00, 0xC9, 0x10, 0x60, 0x99, 0x24, 0x64, 0x00, 0xD9, 0x20, 0x10, 0x89, 0x24, 0x00});

class MidiIterator : public LoopbackTest {
protected:
    void SetUp() override
    {
        LoopbackTest::SetUp();
        VirtualMIDIPort.OnShortMessage = [this](void*, const TEventData& Data) {
            Received.push_back(std::vector<uint8_t>{Data.Status, Data.Data1, Data.Data2});
        };
        Song = SongFrom(Concat({Header(1, 2, 96), Piano, Drums}));
        Routing.SetDefaultOutputPort(VirtualPortId);
        Routing.SetMidiData(Song.get());
        Routing.SetActive(true);
        Routing.OnEvent = [this](void* Sender, int32_t Port, const TEventData& Data) {
            EXPECT_EQ(Sender, &Iterator);
            Events.push_back({static_cast<uint8_t>(Port), Data.Status});
        };
        Iterator.SetTrackOutputs(&Routing);
        Iterator.SetMidiData(Song.get());
        Received.clear();
    }
    void TearDown() override
    {
        Routing.SetActive(false);
        VirtualMIDIPort.OnShortMessage = nullptr;
    }

    TMessages Received, Events;
    std::unique_ptr<TMidiData> Song;
    TTrackOutputs Routing{nullptr};
    TMidiIterator Iterator{nullptr};
};

} // namespace

TEST_F(MidiIterator, SeekChasesEverythingButNotes)
{
    Iterator.SetTick(150);
    EXPECT_EQ(Received, (TMessages{{0xC0, 5, 0}, {0xB0, 7, 100}, {0xE0, 0, 0x50}, {0xC0, 6, 0}, {0xC9, 0x10, 0},
                            {0xD9, 0x20, 0}}));
    EXPECT_EQ(Events, (TMessages{{0, 0xC0}, {0, 0xB0}, {0, 0xE0}, {0, 0xC0}, {1, 0xC9}, {1, 0xD9}}));
    EXPECT_FALSE(Iterator.Finished());
}

TEST_F(MidiIterator, AdvanceSendsNotesTooAndEventsAtTheTargetWait)
{
    Iterator.SetTick(96); // what stands at 96 waits for the next move
    EXPECT_EQ(Received, (TMessages{{0xC0, 5, 0}, {0xB0, 7, 100}, {0xC9, 0x10, 0}}));
    Received.clear();
    Iterator.Advance(7); // 607 ms at 600 ms a quarter: tick 97
    EXPECT_EQ(Received, (TMessages{{0x80, 0x3C, 0}, {0xE0, 0, 0x50}, {0xC0, 6, 0}, {0x99, 0x24, 0x64}, {0xD9, 0x20, 0}}));
    EXPECT_EQ(Iterator.Tick(), 97);
    EXPECT_EQ(Iterator.Time(), 607);
}

TEST_F(MidiIterator, PlayingFromTheStartSendsEveryChannelEventInTrackOrder)
{
    Iterator.Reset();
    EXPECT_EQ(Received, TMessages{}); // the device has the initial programs already
    Iterator.Advance(100000);
    EXPECT_EQ(Received.size(), 12u);
    EXPECT_EQ(Received.front(), (std::vector<uint8_t>{0xC0, 5, 0}));
    EXPECT_EQ(Received[2], (std::vector<uint8_t>{0x90, 0x3C, 0x40}));
    EXPECT_EQ(Received.back(), (std::vector<uint8_t>{0x89, 0x24, 0}));
    EXPECT_TRUE(Iterator.Finished());
}

TEST_F(MidiIterator, BackwardMoveResendsInitialPatchesAndChasesAgain)
{
    Iterator.SetTick(200);
    Received.clear();
    Iterator.SetTick(50);
    // The rewind sends program 5 (the device has 6 now), then the chase starts over.
    EXPECT_EQ(Received, (TMessages{{0xC0, 5, 0}, {0xC0, 5, 0}, {0xB0, 7, 100}, {0xC9, 0x10, 0}}));
    for (int32_t I = 0; I < Routing.Count(); ++I)
        EXPECT_GT(Routing.Items(I)->Cursor, 0);
}

TEST_F(MidiIterator, TracksWithoutEventsAreFinishedAtOnce)
{
    TMidiTrackStream Empty(10);
    Routing.Items(0)->Track = &Empty;
    Routing.Items(1)->Track = &Empty;
    Iterator.Reset();
    EXPECT_TRUE(Iterator.Finished());
    Routing.Items(0)->Track = Song->Tracks(0);
    Routing.Items(1)->Track = Song->Tracks(1);
}
