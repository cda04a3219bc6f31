// Seeks, pauses and resumes from the main thread while the timer thread plays.
#include "cmpMidiPlayer.h"

#include "Loopback.h"
#include "SongFixture.h"

#include <thread>

class PlayerConcurrency : public LoopbackTest {};

TEST_F(PlayerConcurrency, MainThreadSeeksPausesAndResumesWhileTheTimerPlays)
{
    TMidiOutputPort Device(nullptr);
    Device.SetSysexLatency(0);
    Device.SetPortId(0);
    Device.SetActive(true);
    VirtualMIDIPort.OnShortMessage = [&](void*, const TEventData& Data) { Device.SendEvent(Data); };
    const auto Song = SongFrom(DenseSong(16, 400, 333333)); // 180 bpm
    TTrackOutputs Routing(nullptr);
    Routing.SetDefaultOutputPort(VirtualPortId);
    Routing.SetMidiData(Song.get());
    Routing.SetActive(true);
    TMidiPlayer Player(nullptr);
    Player.SetTimerResolution(1);
    Player.SetTrackOutputs(&Routing);
    Player.SetFastForward(true);

    for (int Round = 0; Round < 60; ++Round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        switch (Round % 4) {
        case 0: Player.SetPosition((Round * 997) % 20000); break; // the song is 24,000 ticks long
        case 1: Player.SetPaused(true); break;
        case 2: Player.SetFastForward(true); break;
        case 3: Player.SetPosition(Player.Position() + 100); break;
        }
        ASSERT_NE(Player.State(), psStopped) << "round " << Round;
    }
    Player.Stop();
    Routing.SetActive(false);
    VirtualMIDIPort.OnShortMessage = nullptr;
    for (int Channel = 0; Channel < 16; ++Channel)
        for (int Note = 0; Note < 128; ++Note)
            ASSERT_EQ(Device.NoteCount(static_cast<TChannel>(Channel), static_cast<uint8_t>(Note)), 0);
    EXPECT_GT(Sent(0).size(), 100u);
}
