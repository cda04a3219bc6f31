// The main window's transport: enabling rules, Next, Previous, double-click,
// Stop, the continuation after a song, dropped files, seeking and closing.
#include "AppTest.h"

#include "cmpMidiOutput.h"
#include "cmpMidiPlayer.h"
#include "uMIDIPlayer.h"
#include "uMain.h"
#include "uPlayListView.h"
#include "uSetup.h"

#include <QAction>
#include <QCheckBox>
#include <QToolButton>

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TfrmMain> Window;
    QStringList Songs;

    TPlaybackState State() { return Window->Player()->State(); }

    void SetBoxes(bool Auto, bool Repeat)
    {
        if (Window->chkAuto->isChecked() != Auto)
            Window->chkAuto->click();
        if (Window->chkRepeat->isChecked() != Repeat)
            Window->chkRepeat->click();
    }

    // Plays a row as a double-click does, and lets every posted message run.
    void PlayRow(int Row)
    {
        Window->lbFiles->setCurrentRow(Row);
        Window->lbFilesDblClick();
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), Row);
        QCOMPARE(State(), pbPlaying);
    }

    void Update() { Window->ActionList1Update(); }

private slots:
    void initTestCase()
    {
        for (int I = 0; I < 3; ++I)
            Songs << WriteScratchFile(QString("long%1.mid").arg(I), SongBytes(40));
    }

    void init()
    {
        QFile::remove(SettingsFileName());
        Window = std::make_unique<TfrmMain>();
        Window->show(); // connects the controller's events
        ChoosePorts(*Window, 1, 2);
        Window->AddFiles(Songs, false);
        Window->ProcessMessages();
    }
    void cleanup() { Window.reset(); }

    void enablingRulesFollowTheState()
    {
        Update();
        QVERIFY(Window->acPlay->isEnabled()); // a row is selected
        QVERIFY(!Window->acStop->isEnabled());
        QVERIFY(!Window->acPause->isEnabled());
        QVERIFY(Window->acSetup->isEnabled());
        QVERIFY(Window->acSave->isEnabled());
        QVERIFY(!Window->progBar->isEnabled());
        PlayRow(0);
        Update();
        QVERIFY(Window->acStop->isEnabled());
        QVERIFY(Window->acPause->isEnabled());
        QVERIFY(!Window->acSetup->isEnabled());
        QVERIFY(Window->acNext->isEnabled());
        QVERIFY(!Window->acPrevious->isEnabled());
        QVERIFY(Window->progBar->isEnabled());
        QCOMPARE(Window->btnPlay->defaultAction(), Window->acPause);
        Window->acPauseExecute();
        Window->lbFiles->clearSelection();
        Update();
        QVERIFY(Window->acPlay->isEnabled()); // ready: resumes
        QVERIFY(!Window->acPause->isEnabled());
        QVERIFY(!Window->acRemoveFile->isEnabled());
        QCOMPARE(Window->btnPlay->defaultAction(), Window->acPlay);
        Window->ClearList();
        Update();
        QVERIFY(!Window->acSave->isEnabled());
    }

    void nextAndPreviousTargets_data()
    {
        QTest::addColumn<int>("Current");
        QTest::addColumn<bool>("Auto");
        QTest::addColumn<bool>("Repeat");
        QTest::addColumn<int>("Next");
        QTest::addColumn<int>("Prev");
        QTest::newRow("first, no boxes") << 0 << false << false << 1 << -1;
        QTest::newRow("first, repeat") << 0 << false << true << 1 << 0;
        QTest::newRow("middle") << 1 << false << false << 2 << 0;
        QTest::newRow("last, no boxes") << 2 << false << false << -1 << 1;
        QTest::newRow("last, autostart") << 2 << true << false << -1 << 1;
        QTest::newRow("last, both wrap") << 2 << true << true << 0 << 1;
    }

    void nextAndPreviousTargets()
    {
        QFETCH(int, Current);
        QFETCH(bool, Auto);
        QFETCH(bool, Repeat);
        PlayRow(Current);
        SetBoxes(Auto, Repeat);
        QFETCH(int, Next);
        QFETCH(int, Prev);
        QCOMPARE(Window->NextIndex(), Next);
        QCOMPARE(Window->PrevIndex(), Prev);
    }

    void nextWithoutBoxesStillMovesOn()
    {
        PlayRow(0);
        Window->acNextExecute();
        QCOMPARE(Window->CurrentIndex(), 1);
        QCOMPARE(State(), pbPlaying);
        QVERIFY(Window->Items(0)->Played);
    }

    void previousGoesBackAndRestartsTheFirstRowWithRepeat()
    {
        PlayRow(2);
        Window->acPreviousExecute();
        QCOMPARE(Window->CurrentIndex(), 1);
        PlayRow(0);
        Update();
        QVERIFY(!Window->acPrevious->isEnabled());
        SetBoxes(false, true);
        Update();
        QVERIFY(Window->acPrevious->isEnabled());
        Window->acPreviousExecute();
        QCOMPARE(Window->CurrentIndex(), 0);
        QCOMPARE(State(), pbPlaying);
    }

    void doubleClickWhilePlayingStartsThatRowWhateverTheBoxes()
    {
        PlayRow(0);
        Window->lbFiles->setCurrentRow(2);
        Window->lbFilesDblClick();
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), 2);
        QCOMPARE(State(), pbPlaying);
    }

    void playWithAnotherRowSelectedWhilePlayingSwitchesSongs()
    {
        PlayRow(0);
        Window->lbFiles->setCurrentRow(1);
        Window->acPlayExecute();
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), 1);
        QCOMPARE(State(), pbPlaying);
        QVERIFY(Window->Items(0)->Played);
    }

    void stopClearsPlayedMarksAndPlaysNothing()
    {
        SetBoxes(true, true);
        PlayRow(0);
        Window->acNextExecute();
        QVERIFY(Window->Items(0)->Played);
        Window->acStopExecute();
        Window->ProcessMessages();
        QCOMPARE(State(), pbIdle);
        for (int Row = 0; Row < 3; ++Row)
            QVERIFY(!Window->Items(Row)->Played);
    }

    void aSongThatEndsContinuesOnlyWhenTheBoxesAsk()
    {
        const QStringList Short = {WriteScratchFile("a.mid", SongBytes(1)), WriteScratchFile("b.mid", SongBytes(1))};
        Window->ClearList();
        Window->AddFiles(Short, false);
        PlayRow(1); // the last row, no boxes: the list never plays backwards by itself
        QVERIFY(WaitFor([this] { return State() == pbIdle; }));
        QTest::qWait(50);
        Window->ProcessMessages();
        QCOMPARE(State(), pbIdle);
        QCOMPARE(Window->CurrentIndex(), 1);

        SetBoxes(true, false);
        PlayRow(0);
        QVERIFY(WaitFor([this] { return Window->CurrentIndex() == 1 && State() == pbPlaying; }));
        QVERIFY(Window->Items(0)->Played);
    }

    void droppedFilesAreFilteredByExtension()
    {
        const QString PlayList = WriteScratchFile("dropped.dpp",
            QString("[PlayList]\r\nName=Upuszczona\r\n[Files]\r\nItem0=%1\r\n").arg(Songs[2]).toUtf8());
        const QString Text = WriteScratchFile("notes.txt", "x");
        Window->DropFiles({Text, Songs[0], PlayList});
        QCOMPARE(Window->lbFiles->count(), 5);
        QCOMPARE(Window->Items(3)->FileName, Songs[2]); // the playlist first, then the song
        QCOMPARE(Window->Items(4)->FileName, Songs[0]);
        QCOMPARE(Window->PlayListName(), QString("Upuszczona"));
        QCOMPARE(State(), pbIdle); // a drop does not start playback by itself
    }

    void commandLineFilesStartPlayback()
    {
        Window->ClearList();
        Window->AddFiles({Songs[1], Songs[2]}, true);
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), 0);
        QCOMPARE(State(), pbPlaying);
    }

    void clickOnThePositionBarSeeks()
    {
        Window->resize(400, 340);
        Window->SeekToX(100); // nothing loaded: nothing happens
        QCOMPARE(Window->progBar->value(), 0);
        PlayRow(0);
        Window->acPauseExecute();
        const int Width = Window->progBar->width();
        Window->SeekToX(Width / 2);
        QCOMPARE(Window->MidiPlayer->Position(), 40 * 96 / 2);
        QCOMPARE(Window->progBar->value(), 40 * 96 / 2);
    }

    void removingRowsKeepsTheCurrentEntry()
    {
        PlayRow(1);
        Window->lbFiles->setCurrentRow(0);
        Window->acRemoveFileExecute();
        QCOMPARE(Window->CurrentIndex(), 0);
        QCOMPARE(Window->Items(0)->FileName, Songs[1]);
        Window->lbFiles->setCurrentRow(0);
        Window->acRemoveFileExecute(); // the current entry: playback stops, nothing follows
        QCOMPARE(State(), pbIdle);
        QCOMPARE(Window->CurrentIndex(), -1);
        QCOMPARE(Window->lbFiles->count(), 1);
    }

    void closingWhilePlayingReleasesEverythingAndWritesTheSettings()
    {
        PlayRow(0);
        SetBoxes(true, true);
        QVERIFY(Window->close());
        QVERIFY(!Window->midiPortA->Active());
        QVERIFY(!Window->midiPortB->Active());
        QCOMPARE(Window->lbFiles->count(), 0);
        QVERIFY(QFile::exists(SettingsFileName()));
        QCOMPARE(Window->MidiPlayer->State(), psStopped);
    }
};

BIVOXA_APP_TEST(MainWindowTest)
#include "MainWindowTest.moc"
