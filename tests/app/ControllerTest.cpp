// The playback controller's states and events, driven through the real main window.
#include "AppTest.h"

#include "cmpMidiPlayer.h"
#include "uMIDIPlayer.h"
#include "uMain.h"

class ControllerTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TfrmMain> Window;
    QStringList Events;

    TPlayer& Player() { return *Window->Player(); }

private slots:
    void init()
    {
        Window = std::make_unique<TfrmMain>();
        ChoosePorts(*Window, 1, 2);
        Player().OnPlay = [this](void*) { Events << "play"; };
        Player().OnPause = [this](void*) { Events << "pause"; };
        Player().OnStop = [this](void*) { Events << "stop"; };
        Player().OnPosition = [this](void*, int32_t Position) { Events << QString("position %1").arg(Position); };
        Events.clear();
        TakeBoxes();
    }
    void cleanup() { Window.reset(); }

    void openingAMissingFileFailsSilently()
    {
        QVERIFY(!Player().Open(Scratch().filePath("missing.mid")));
        QCOMPARE(Player().State(), pbIdle);
        QVERIFY(TakeBoxes().empty());
        QVERIFY(Events.isEmpty());
    }

    void openingABrokenFileShowsTheLoadersMessage()
    {
        QVERIFY(!Player().Open(WriteScratchFile("broken.mid", QByteArray("MThd\0\0\0\5", 8))));
        const auto Boxes = TakeBoxes();
        QCOMPARE(Boxes.size(), size_t(1));
        QCOMPARE(Boxes[0].Text, QString("Podczas odtwarzania wystąpił błąd:\r\nInvalid MIDI header size"));
        QCOMPARE(Boxes[0].Caption, QString("Odtwarzanie MIDI..."));
        QCOMPARE(Boxes[0].Flags, 16);
        QCOMPARE(Player().State(), pbIdle);
    }

    void openPlayPauseResumeStop()
    {
        QVERIFY(Player().Open(WriteScratchFile("song.mid", SongBytes(8))));
        QCOMPARE(Player().State(), pbReady);
        QCOMPARE(Player().SongLength(), 8 * 96);
        QCOMPARE(Events, QStringList{"position 0"});
        Player().Play();
        QCOMPARE(Player().State(), pbPlaying);
        QVERIFY(Player().PositionTimer()->isActive());
        QVERIFY(WaitFor([this] { return Window->MidiPlayer->Position() > 0; }));
        Player().Pause();
        QCOMPARE(Player().State(), pbReady);
        QVERIFY(!Player().PositionTimer()->isActive());
        const int32_t Paused = Window->MidiPlayer->Position();
        Player().Pause(); // not playing: nothing
        Player().Play();  // resumes where it was paused
        QVERIFY(Window->MidiPlayer->Position() >= Paused);
        Player().Stop();
        QCOMPARE(Player().State(), pbIdle);
        QVERIFY(!Window->MidiData->Active());
        QCOMPARE(Window->TrackOutputs->Count(), 0);
        QCOMPARE(Events, (QStringList{"position 0", "play", "pause", "play", "stop"}));
        // Every note that sounded was released on Port A.
        int Sounding = 0;
        for (const auto& Message : Sent(SynthA))
            Sounding += (Message[0] & 0xF0) == 0x90 && Message[2] > 0 ? 1 : (Message[0] & 0xE0) == 0x80 ? -1 : 0;
        QCOMPARE(Sounding, 0);
    }

    void idleOperationsDoNothing()
    {
        Player().Pause();
        Player().Stop();
        Player().Seek(100);
        Player().TimerTick();
        QVERIFY(Events.isEmpty());
    }

    void aSongWithoutLengthDoesNotStart()
    {
        const QByteArray Empty("MThd\0\0\0\6\0\1\0\1\0\x60MTrk\0\0\0\4\0\xFF\x2F\0", 30);
        QVERIFY(Player().Open(WriteScratchFile("empty.mid", Empty)));
        QCOMPARE(Player().SongLength(), 0);
        Player().Play();
        QCOMPARE(Player().State(), pbReady);
    }

    void seekBeyondTheEndStopsAtTheNextTick()
    {
        QVERIFY(Player().Open(WriteScratchFile("song.mid", SongBytes(8))));
        Player().Play();
        Player().Seek(8 * 96);
        QCOMPARE(Events.last(), QString("position %1").arg(8 * 96));
        Player().TimerTick();
        QCOMPARE(Player().State(), pbIdle);
        QCOMPARE(Events.last(), QString("stop"));
    }

    void theSongsEndIsNoticedByThePositionTimer()
    {
        QVERIFY(Player().Open(WriteScratchFile("short.mid", SongBytes(1))));
        Player().Play();
        QVERIFY(WaitFor([this] { return Player().State() == pbIdle; }, 3000));
        QCOMPARE(Events.last(), QString("stop"));
        QVERIFY(!Window->MidiData->Active());
    }

    void openingWhileASongIsLoadedLoadsTheNewFile()
    {
        QVERIFY(Player().Open(WriteScratchFile("first.mid", SongBytes(8))));
        Player().Play();
        QVERIFY(Player().Open(WriteScratchFile("second.mid", SongBytes(3))));
        QCOMPARE(Player().SongLength(), 3 * 96);
        QCOMPARE(Player().State(), pbReady);
        QVERIFY(!Events.contains("stop"));
    }

    void aPortThatCannotBeOpenedIsReported()
    {
        ChoosePorts(*Window, 1, 1); // both ports on Synth A
        Loopback().SetDevices({"Synth A"}, {"Keys"}); // Synth B has gone
        ChoosePorts(*Window, 2, 2);
        Loopback().SetDevices({"Synth A", "Synth B"}, {"Keys"});
        const auto Boxes = TakeBoxes();
        QCOMPARE(Boxes.size(), size_t(1));
        QCOMPARE(Boxes[0].Text, QString("Podczas ustawiania portów MIDI wystąpił błąd:\r\nUnable to open port"));
        QCOMPARE(Boxes[0].Caption, QString("Porty MIDI"));
        QVERIFY(!Window->midiPortA->Active());
        QVERIFY(Window->midiPortB->Active()); // the step after the failure did not run
        QCOMPARE(Window->midiPortB->PortId(), SynthA);
    }
};

BIVOXA_APP_TEST(ControllerTest)
#include "ControllerTest.moc"
