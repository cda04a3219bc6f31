#include "cmpMidiPlayer.h"

#include "Loopback.h"
#include "SongFixture.h"

#include <condition_variable>

namespace {

constexpr int Synth = 0;

// A song at 96 ppqn and 500 ms a quarter: a controller, then Note On 60 at 0 and
// its Note Off after Quarters quarter notes.
TBytes HeldNote(uint8_t Quarters)
{
    const uint32_t Ticks = 96u * Quarters;
    return Concat({Header(1, 1, 96),
        Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xB0, 0x07, 0x50, 0x00, 0x90, 0x3C, 0x64,
            static_cast<uint8_t>(0x80 | (Ticks >> 7)), static_cast<uint8_t>(Ticks & 0x7F), 0x80, 0x3C, 0x00})});
}

class MidiPlayer : public LoopbackTest {
protected:
    void SetUp() override
    {
        LoopbackTest::SetUp();
        Device.SetSysexLatency(0);
        Device.SetPortId(Synth);
        Device.SetActive(true);
        VirtualMIDIPort.OnShortMessage = [this](void*, const TEventData& Data) { Device.SendEvent(Data); };
        Player.OnPlay = [this](void*) { Raised("play"); };
        Player.OnPause = [this](void*) { Raised("pause"); };
        Player.OnFastForward = [this](void*) { Raised("fastforward"); };
        Player.OnStop = [this](void*) { Raised("stop"); };
        Routing.SetDefaultOutputPort(VirtualPortId);
        Player.SetTrackOutputs(&Routing);
    }
    void TearDown() override
    {
        Player.Stop();
        Routing.SetActive(false);
        VirtualMIDIPort.OnShortMessage = nullptr;
    }

    void Load(const TBytes& File)
    {
        Song = SongFrom(File);
        Routing.SetMidiData(Song.get());
        Routing.SetActive(true);
        Player.AttachMidiData();
        Player.Rewind();
    }

    void Raised(const std::string& Name)
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Events.push_back(Name);
        Changed.notify_all();
    }

    std::vector<std::string> TakeEvents()
    {
        std::lock_guard<std::mutex> Guard(Lock);
        return std::exchange(Events, {});
    }

    bool WaitForStop(std::chrono::seconds Timeout)
    {
        std::unique_lock<std::mutex> Guard(Lock);
        return Changed.wait_for(Guard, Timeout, [this] { return std::find(Events.begin(), Events.end(), "stop") != Events.end(); });
    }

    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<std::string> Events;
    TMidiOutputPort Device{nullptr};
    std::unique_ptr<TMidiData> Song;
    TTrackOutputs Routing{nullptr};
    TMidiPlayer Player{nullptr};
};

enum class TWrite { PlayOn, PlayOff, FastOn, FastOff, PauseOn, PauseOff };

struct TTransition {
    std::string Name;
    TPlayerState From;
    TWrite Write;
    TPlayerState To;
    std::vector<std::string> Raised;
};

class Transitions : public MidiPlayer, public testing::WithParamInterface<TTransition> {
protected:
    void Enter(TPlayerState State)
    {
        if (State == psPlaying || State == psPaused)
            Player.SetPlay(true);
        if (State == psFastForward)
            Player.SetFastForward(true);
        if (State == psPaused)
            Player.SetPaused(true);
        ASSERT_EQ(Player.State(), State);
    }
    void Apply(TWrite Write)
    {
        switch (Write) {
        case TWrite::PlayOn: Player.SetPlay(true); break;
        case TWrite::PlayOff: Player.SetPlay(false); break;
        case TWrite::FastOn: Player.SetFastForward(true); break;
        case TWrite::FastOff: Player.SetFastForward(false); break;
        case TWrite::PauseOn: Player.SetPaused(true); break;
        case TWrite::PauseOff: Player.SetPaused(false); break;
        }
    }
};

} // namespace

TEST_P(Transitions, PropertyWritesMoveTheStateAndRaiseItsEvent)
{
    const auto& Case = GetParam();
    Load(HeldNote(100));
    Enter(Case.From);
    TakeEvents();
    Apply(Case.Write);
    EXPECT_EQ(Player.State(), Case.To);
    EXPECT_EQ(TakeEvents(), Case.Raised);
}

INSTANTIATE_TEST_SUITE_P(Table, Transitions,
    testing::Values(TTransition{"StoppedPlay", psStopped, TWrite::PlayOn, psPlaying, {"play"}},
        TTransition{"StoppedPlayOff", psStopped, TWrite::PlayOff, psStopped, {}},
        TTransition{"StoppedFastForward", psStopped, TWrite::FastOn, psFastForward, {"fastforward"}},
        TTransition{"StoppedFastForwardOff", psStopped, TWrite::FastOff, psStopped, {}},
        TTransition{"StoppedPause", psStopped, TWrite::PauseOn, psStopped, {}},
        TTransition{"StoppedUnpause", psStopped, TWrite::PauseOff, psStopped, {}},
        TTransition{"PausedPlay", psPaused, TWrite::PlayOn, psPlaying, {"play"}},
        TTransition{"PausedFastForward", psPaused, TWrite::FastOn, psFastForward, {"fastforward"}},
        TTransition{"PausedPlayOff", psPaused, TWrite::PlayOff, psStopped, {"stop"}},
        TTransition{"PausedUnpause", psPaused, TWrite::PauseOff, psPlaying, {"play"}},
        TTransition{"PausedPauseAgain", psPaused, TWrite::PauseOn, psPaused, {}},
        TTransition{"PlayingPlay", psPlaying, TWrite::PlayOn, psPlaying, {}},
        TTransition{"PlayingPlayOff", psPlaying, TWrite::PlayOff, psStopped, {"stop"}},
        TTransition{"PlayingFastForward", psPlaying, TWrite::FastOn, psFastForward, {"fastforward"}},
        TTransition{"PlayingPause", psPlaying, TWrite::PauseOn, psPaused, {"pause"}},
        TTransition{"PlayingFastForwardOff", psPlaying, TWrite::FastOff, psPlaying, {}},
        TTransition{"FastForwardPlay", psFastForward, TWrite::PlayOn, psPlaying, {"play"}},
        TTransition{"FastForwardOff", psFastForward, TWrite::FastOff, psStopped, {"stop"}},
        TTransition{"FastForwardPause", psFastForward, TWrite::PauseOn, psPaused, {"pause"}},
        TTransition{"FastForwardPlayOff", psFastForward, TWrite::PlayOff, psStopped, {"stop"}}),
    [](const testing::TestParamInfo<TTransition>& Info) { return Info.param.Name; });

TEST_F(MidiPlayer, StartWithAnInactiveRoutingOnlyRaisesStop)
{
    Player.SetPlay(true);
    EXPECT_EQ(Player.State(), psStopped);
    EXPECT_EQ(TakeEvents(), std::vector<std::string>{"stop"});
    Player.Stop();
    EXPECT_EQ(TakeEvents(), std::vector<std::string>{}); // stop while stopped raises nothing
}

TEST_F(MidiPlayer, TimerPeriodIsNeverBelowTheMinimum)
{
    Player.SetTimerPeriod(0);
    EXPECT_EQ(Player.TimerPeriod(), MinimumTimerPeriod);
    Player.SetTimerPeriod(5);
    EXPECT_EQ(Player.TimerPeriod(), 5);
}

struct TScaling {
    int32_t TempoPercent;
    bool FastForward;
    std::vector<int32_t> TimesAfterEachStep; // each step 4 ms of clock
};

class TempoScaling : public MidiPlayer, public testing::WithParamInterface<TScaling> {};

// The steps are driven by hand on a clock of the test's own.
TEST_P(TempoScaling, StepsAdvanceTheSongByScaledClockTime)
{
    std::atomic<int64_t> Now{1000};
    Player.Clock = [&] { return Now.load(); };
    Player.SetTimerResolution(100000); // the timer thread itself stays asleep
    Player.SetTempoPercent(GetParam().TempoPercent);
    Load(HeldNote(100));
    if (GetParam().FastForward)
        Player.SetFastForward(true);
    else
        Player.SetPlay(true);
    std::vector<int32_t> Times;
    for (size_t I = 0; I < GetParam().TimesAfterEachStep.size(); ++I) {
        Now += 4;
        Player.TimerProc();
        Times.push_back(Player.Time());
    }
    EXPECT_EQ(Times, GetParam().TimesAfterEachStep);
}

INSTANTIATE_TEST_SUITE_P(Cases, TempoScaling,
    testing::Values(TScaling{100, false, {4, 8, 12}}, TScaling{50, false, {2, 4, 6}},
        TScaling{90, false, {3, 7, 10, 14, 18, 21, 25, 28, 32, 36}}, // no drift: 36 ms after 40
        TScaling{100, true, {16, 32}}, TScaling{150, true, {24, 48}}));

TEST_F(MidiPlayer, PausedTimeIsNeverAddedToTheSong)
{
    std::atomic<int64_t> Now{1000};
    Player.Clock = [&] { return Now.load(); };
    Player.SetTimerResolution(100000);
    Load(HeldNote(100));
    Player.SetPlay(true);
    Now += 40;
    Player.TimerProc();
    Player.SetPaused(true);
    Now += 5000;
    Player.TimerProc();
    EXPECT_EQ(Player.Time(), 40);
    Player.SetPlay(true);
    Now += 4;
    Player.TimerProc();
    EXPECT_EQ(Player.Time(), 44);
}

TEST_F(MidiPlayer, BackwardSeekWhilePlayingSilencesResetsAndChases)
{
    std::atomic<int64_t> Now{1000};
    Player.Clock = [&] { return Now.load(); };
    Player.SetTimerResolution(100000);
    Load(HeldNote(100));
    Player.SetPlay(true);
    Now += 1000;
    Player.TimerProc(); // the controller and the note went out
    Loopback().ClearRecords();
    Player.SetPosition(96);
    EXPECT_EQ(Sent(Synth), (TMessages{{0x80, 0x3C, 0}, {0xB0, 7, 90}, {0xB0, 7, 0x50}}));
    EXPECT_EQ(Player.Position(), 96);
    Now += 500;
    Player.TimerProc(); // playback goes on from the new place
    EXPECT_EQ(Player.Position(), 192);
    EXPECT_EQ(Player.State(), psPlaying);
}

TEST_F(MidiPlayer, StopsByItselfAtTheSongsEnd)
{
    Load(HeldNote(1)); // half a second
    Player.SetPlay(true);
    ASSERT_TRUE(WaitForStop(std::chrono::seconds(5)));
    EXPECT_EQ(Player.State(), psStopped);
    EXPECT_EQ(Player.StopPosition(), Player.Position());
    EXPECT_GE(Player.Position(), 96);
    EXPECT_EQ(Sent(Synth), (TMessages{{0xB0, 7, 0x50}, {0x90, 0x3C, 0x64}, {0x80, 0x3C, 0}}));
    EXPECT_EQ(Device.NoteCount(0, 0x3C), 0);
}

TEST_F(MidiPlayer, FastForwardFromStoppedSendsNotes)
{
    Load(HeldNote(4)); // two seconds, half a second at four times the speed
    Player.SetFastForward(true);
    EXPECT_EQ(Player.Speed(), 4);
    ASSERT_TRUE(WaitForStop(std::chrono::seconds(5)));
    EXPECT_EQ(Sent(Synth), (TMessages{{0xB0, 7, 0x50}, {0x90, 0x3C, 0x64}, {0x80, 0x3C, 0}}));
}
