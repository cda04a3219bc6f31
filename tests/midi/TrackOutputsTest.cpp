#include "cmpTrackOutputs.h"

#include "Loopback.h"
#include "SongFixture.h"

namespace {

// Captures what the track ports hand to the virtual port.
class TrackOutputs : public LoopbackTest {
protected:
    void SetUp() override
    {
        LoopbackTest::SetUp();
        VirtualMIDIPort.OnShortMessage = [this](void*, const TEventData& Data) {
            Received.push_back({Data.Status, Data.Data1, Data.Data2});
        };
        Routing.SetDefaultOutputPort(VirtualPortId);
    }
    void TearDown() override
    {
        Routing.SetActive(false);
        VirtualMIDIPort.OnShortMessage = nullptr;
    }

    TMessages Received;
    TTrackOutputs Routing{nullptr};
};

const TBytes Conductor = Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
const TBytes Piano = Track({0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x40});
const TBytes Drums = Track({0x00, 0x99, 0x24, 0x64, 0x00, 0xC9, 0x10});

} // namespace

TEST_F(TrackOutputs, OneEntryPerTrackAllSharingTheVirtualRecord)
{
    const auto Song = SongFrom(Concat({Header(1, 5, 96), Conductor, Piano, Drums, Piano, Drums}));
    Routing.SetMidiData(Song.get());
    Routing.SetActive(true);
    ASSERT_EQ(Routing.Count(), 5);
    EXPECT_EQ(Routing.Items(5), nullptr);
    for (int32_t I = 0; I < 5; ++I) {
        EXPECT_EQ(Routing.Items(I)->Track, Song->Tracks(I));
        EXPECT_EQ(Routing.Items(I)->Port->PortId(), VirtualPortId);
        EXPECT_TRUE(Routing.Items(I)->Port->Active());
    }
    // Entries are served in track order; the shared record sends a program only when it changes.
    Routing.SendInitialPatches();
    EXPECT_EQ(Received, (TMessages{{0xC0, 5, 0}, {0xC9, 16, 0}}));
}

TEST_F(TrackOutputs, DeactivatingSendsTheOwedNoteOffsAndResetsTheDeviceOnce)
{
    const auto Song = SongFrom(Concat({Header(1, 2, 96), Piano, Drums}));
    Routing.SetMidiData(Song.get());
    Routing.SetActive(true);
    Routing.Items(0)->Port->SendEvent(MakeShortEvent(0x90, 60, 100));
    Routing.Items(1)->Port->SendEvent(MakeShortEvent(0x99, 36, 100));
    Routing.Items(1)->Port->SendEvent(MakeShortEvent(0xB9, 7, 30));
    Received.clear();
    Routing.SetActive(false);
    EXPECT_EQ(Routing.Count(), 0);
    EXPECT_EQ(Received, (TMessages{{0x80, 60, 0}, {0xB9, 7, 90}, {0x89, 36, 0}}));
}

TEST_F(TrackOutputs, SongChangesRebuildOrClearTheEntries)
{
    const auto First = SongFrom(Concat({Header(1, 2, 96), Piano, Drums}));
    const auto Second = SongFrom(Concat({Header(1, 3, 96), Piano, Drums, Conductor}));
    Routing.SetMidiData(First.get());
    EXPECT_EQ(Routing.Count(), 0); // not active yet
    Routing.SetActive(true);
    Routing.Items(0)->Cursor = 2;
    Routing.SetMidiData(Second.get());
    ASSERT_EQ(Routing.Count(), 3);
    EXPECT_EQ(Routing.Items(0)->Cursor, 0);
    Routing.Items(2)->Cursor = 1;
    Routing.RewindCursors();
    EXPECT_EQ(Routing.Items(2)->Cursor, 0);
    Routing.SetMidiData(nullptr);
    EXPECT_FALSE(Routing.Active());
    EXPECT_EQ(Routing.Count(), 0);
}

TEST_F(TrackOutputs, ActiveWithoutASongHasNoEntries)
{
    Routing.SetActive(true);
    EXPECT_TRUE(Routing.Active());
    EXPECT_EQ(Routing.Count(), 0);
}
