// The playlist: adding songs and playlists, the automatic start, shuffling,
// durations measured in the background, and .dpp files.
#include "AppTest.h"

#include "platform/Cp1250.h"
#include "uMIDIPlayer.h"
#include "uMain.h"
#include "uSetup.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

#include <set>

namespace {

QStringList FileNames(TfrmMain& Window)
{
    QStringList Names;
    for (int Row = 0; Row < Window.lbFiles->count(); ++Row)
        Names << Window.Items(Row)->FileName;
    return Names;
}

QString PlayListFile(const QString& Name, const QString& ListName, const QStringList& Files)
{
    QString Text = "[PlayList]\r\nName=" + ListName + "\r\n[Files]\r\n";
    for (int I = 0; I < Files.size(); ++I)
        Text += QString("Item%1=%2\r\n").arg(I).arg(Files[I]);
    return WriteScratchFile(Name, Text.toUtf8());
}

} // namespace

class PlayListTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TfrmMain> Window;
    QStringList Songs; // 1 to 6 quarter notes long

private slots:
    void initTestCase()
    {
        for (int I = 1; I <= 6; ++I)
            Songs << WriteScratchFile(QString("pl%1.mid").arg(I), SongBytes(I));
    }
    void init()
    {
        QFile::remove(SettingsFileName());
        Window = std::make_unique<TfrmMain>();
        Window->show();
        ChoosePorts(*Window, 1, 2);
        TakeBoxes();
    }
    void cleanup() { Window.reset(); }

    void playlistsComeBeforeSongsAndMissingFilesDropOut()
    {
        const QString First = PlayListFile("first.dpp", "Pierwsza", {Songs[0], Scratch().filePath("gone.mid"), Songs[1]});
        const QString Second = PlayListFile("second.dpp", "Druga", {Songs[2]});
        Window->AddFiles({Songs[5], First, Scratch().filePath("missing.mid"), Second, WriteScratchFile("a.txt", "x")}, false);
        QCOMPARE(FileNames(*Window), (QStringList{Songs[0], Songs[1], Songs[2], Songs[5]}));
        QCOMPARE(Window->PlayListName(), QString("Druga"));
        QCOMPARE(Window->lbFiles->currentRow(), 0);
        QVERIFY(!Window->chkRandom->isChecked());
    }

    void automaticStartPlaysTheRowAfterTheSelectedOne_data()
    {
        QTest::addColumn<bool>("Auto");
        QTest::addColumn<int>("Selected"); // before adding; -1 for none
        QTest::addColumn<int>("Plays");    // -1 for nothing
        QTest::newRow("nothing selected") << true << -1 << 0;
        QTest::newRow("second row selected") << true << 1 << 2;
        QTest::newRow("no autostart") << false << -1 << -1;
    }

    void automaticStartPlaysTheRowAfterTheSelectedOne()
    {
        QFETCH(bool, Auto);
        QFETCH(int, Selected);
        QFETCH(int, Plays);
        if (Selected >= 0) {
            Window->AddFiles({Songs[0], Songs[1]}, false);
            Window->lbFiles->setCurrentRow(Selected);
        }
        Window->chkAuto->setChecked(Auto);
        Window->AddFiles({Songs[2], Songs[3]}, false);
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), Plays);
        QCOMPARE(Window->Player()->State(), Plays >= 0 ? pbPlaying : pbIdle);
    }

    void nothingStartsWhileASongIsLoadedOrWhenNothingWasAdded()
    {
        Window->chkAuto->setChecked(true);
        Window->AddFiles({Songs[0]}, false);
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), 0);
        Window->AddFiles({Songs[1]}, false);
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), 0);
        Window->acStopExecute();
        Window->AddFiles({Scratch().filePath("missing.mid")}, true);
        Window->ProcessMessages();
        QCOMPARE(Window->Player()->State(), pbIdle);
    }

    void durationText_data()
    {
        QTest::addColumn<uint>("Duration");
        QTest::addColumn<QString>("Text");
        QTest::newRow("not measured") << 0u << "00:00:00";
        QTest::newRow("1500 ms rounds to even") << 1500u << "00:00:02";
        QTest::newRow("2500 ms rounds to even") << 2500u << "00:00:02";
        QTest::newRow("2501 ms") << 2501u << "00:00:03";
        QTest::newRow("3599.5 s") << 3599500u << "01:00:00";
        QTest::newRow("100 hours") << 360000000u << "100:00:00";
    }

    void durationText()
    {
        QFETCH(uint, Duration);
        QFETCH(QString, Text);
        TItem Item;
        Item.Duration = Duration;
        QCOMPARE(Item.DurationText(), Text);
    }

    void displayNameHasNoFolderAndNoExtension()
    {
        TItem Item;
        Item.FileName = "/muzyka/Łódź.nocą.mid";
        QCOMPARE(Item.DisplayName(), QString("Łódź.nocą"));
    }

    void shuffleKeepsTheCurrentEntryOnTop()
    {
        Window->AddFiles(Songs, false);
        Window->lbFiles->setCurrentRow(3);
        Window->acPlayExecute();
        Window->ProcessMessages();
        QCOMPARE(Window->CurrentIndex(), 3);
        const QStringList Before = FileNames(*Window);
        Window->chkRandom->click();
        QCOMPARE(Window->CurrentIndex(), 0);
        QCOMPARE(Window->Items(0)->FileName, Songs[3]);
        QCOMPARE(Window->lbFiles->currentRow(), 0);
        QStringList After = FileNames(*Window);
        QCOMPARE(std::set<QString>(After.begin(), After.end()), std::set<QString>(Before.begin(), Before.end()));
        QCOMPARE(Window->NextIndex(), 1);
        Window->chkRandom->click(); // unchecking restores nothing
        QCOMPARE(FileNames(*Window), After);
    }

    void aOneRowListStaysAsItIs()
    {
        Window->AddFiles({Songs[0]}, false);
        Window->chkRandom->click();
        QCOMPARE(FileNames(*Window), QStringList{Songs[0]});
    }

    void durationsReachTheirOwnEntriesAfterShufflesAndDeletions()
    {
        Window->AddFiles(Songs + Songs, false); // the same file twice: two tasks, two results
        Window->chkRandom->click();
        Window->lbFiles->setCurrentRow(4);
        Window->acRemoveFileExecute();
        Window->lbFiles->setCurrentRow(0);
        Window->acRemoveFileExecute();
        Window->WaitForDurations(); // results are applied only now, after the moves
        QCOMPARE(Window->lbFiles->count(), 10);
        for (int Row = 0; Row < Window->lbFiles->count(); ++Row) {
            const TItem* Item = Window->Items(Row);
            const int Quarters = Songs.indexOf(Item->FileName) + 1;
            QCOMPARE(Item->Duration, uint32_t(Quarters * 500));
        }
    }

    void aFileThatIsNoSongShowsZero()
    {
        Window->AddFiles({WriteScratchFile("broken.mid", "MThd")}, false);
        Window->WaitForDurations();
        QCOMPARE(Window->Items(0)->Duration, 0u);
        QCOMPARE(Window->Items(0)->DurationText(), QString("00:00:00"));
        QVERIFY(TakeBoxes().empty());
    }

    void savingOverAnExistingFileKeepsOtherSections()
    {
        const QString Path = WriteScratchFile("saved.dpp", "[Extra]\r\nKey=1\r\n[Files]\r\nItem0=a\r\nItem1=b\r\nItem7=c\r\nOther=d\r\n");
        Window->AddFiles({Songs[0], Songs[1], Songs[2]}, false);
        Window->SetPlayListName("Moja lista");
        Window->SavePlayList(Path);
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(File.readAll()), QString("[Extra]\r\nKey=1\r\n[PlayList]\r\nName=Moja lista\r\n[Files]\r\n"
                                                            "Item0=%1\r\nItem1=%2\r\nItem2=%3\r\n")
                                                        .arg(Songs[0], Songs[1], Songs[2]));
        Window->ClearList();
        Window->AddFiles({Path}, false);
        QCOMPARE(FileNames(*Window), (QStringList{Songs[0], Songs[1], Songs[2]}));
    }

    void aPlaylistWrittenOnWindowsLoadsWithItsPolishLetters()
    {
        const QString Song = WriteScratchFile("Żółć.mid", SongBytes(2));
        const std::string Folder = Scratch().path().toStdString();
        // Name "Łódź", the song's path in Windows-1250; keys out of numeric order and in other cases.
        const QByteArray Bytes = QByteArray("[PLAYLIST]\r\nname=\xA3\xF3\x64\x9F\r\n[files]\r\nITEM2=")
            + QByteArray::fromStdString(Folder) + "/\xAF\xF3\xB3\xE6.mid\r\nItem1=" + Songs[0].toUtf8() + "\r\n";
        Window->AddFiles({WriteScratchFile("windows.dpp", Bytes)}, false);
        QCOMPARE(Window->PlayListName(), QString("Łódź"));
        QCOMPARE(FileNames(*Window), (QStringList{Song, Songs[0]}));
    }

    void theNameDialogNamesThePlaylist()
    {
        QTimer::singleShot(0, [] {
            auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(Dialog != nullptr);
            auto* Edit = Dialog->findChild<QLineEdit*>("edName");
            Edit->setText("Wieczór ");
            Dialog->accept();
        });
        Window->pnlPlayListCaptionClick();
        QCOMPARE(Window->PlayListName(), QString("Wieczór "));
    }
};

BIVOXA_APP_TEST(PlayListTest)
#include "PlayListTest.moc"
