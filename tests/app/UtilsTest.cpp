// The shared services: the message log, folders, the mail link and song durations.
#include "AppTest.h"

#include "TeskUtils.h"

class UtilsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        LogList().clear();
        TakeBoxes();
    }

    void messagesAreShownAndLoggedWithASeparator()
    {
        QCOMPARE(MsgBox({"Jedna linia"}, "Tytuł", mbIconError), 1);
        MsgBox({"Pierwsza", "Druga"}, "Tytuł", mbIconError);
        QCOMPARE(LogList().size(), 4);
        QVERIFY(LogList()[0].endsWith(" : Jedna linia"));
        QVERIFY(!LogList()[0].contains("\r\n"));
        QCOMPARE(LogList()[1], QString(37, '='));
        QVERIFY(LogList()[2].endsWith(" : Pierwsza\r\nDruga"));
        const auto Boxes = TakeBoxes();
        QCOMPARE(Boxes.size(), size_t(2));
        QCOMPARE(Boxes[1].Text, QString("Pierwsza\r\nDruga"));
        QCOMPARE(Boxes[1].Caption, QString("Tytuł"));
    }

    void theLogKeepsItsNewestItems()
    {
        for (int I = 0; I < MaxLogLines; ++I)
            LogList().append(QString::number(I));
        MsgBox({"nowa"}, "x", mbIconError);
        QCOMPARE(LogList().size(), MaxLogLines);
        QCOMPARE(LogList().first(), QString("2"));
        QVERIFY(LogList()[MaxLogLines - 2].endsWith(" : nowa"));
    }

    void aLogFileBesideTheProgramIsReadAtStart()
    {
        QFile File(LogFileName());
        QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
        File.write("01.02.2026 : Pierwsza\r\nDruga\r\n=====================================\r\n\xB3\xF3" "d\r\n");
        File.close();
        LoadLogList();
        QFile::remove(LogFileName());
        QCOMPARE(LogList(), (QStringList{"01.02.2026 : Pierwsza", "Druga", QString(37, '='), "łód"}));
        LogList().clear();
        LoadLogList(); // no file: the log stays empty
        QVERIFY(LogList().isEmpty());
    }

    void foldersHaveNoTrailingSlash()
    {
        QCOMPARE(GetAppDataFolder(), Scratch().filePath("config"));
        QVERIFY(!GetMyDocumentsFolder().endsWith('/'));
        QCOMPARE(GetSpecialFolder(99), QString());
    }

    void mailLinksAreNotEncoded()
    {
        QCOMPARE(MailToLink("Bivoxa OEM 2009.1.0a", "a@b.c"), QString("mailto:a@b.c?subject=Bivoxa OEM 2009.1.0a"));
    }

    void mediaLengthIsTheTimeOfTheLastChannelEvent()
    {
        QCOMPARE(GetMediaLength(WriteScratchFile("eight.mid", SongBytes(8))), 4000); // 8 quarters at 500 ms
        QCOMPARE(GetMediaLength(Scratch().filePath("missing.mid")), 0);
        QCOMPARE(GetMediaLength(WriteScratchFile("text.mid", "not a song")), 0);
    }
};

BIVOXA_APP_TEST(UtilsTest)
#include "UtilsTest.moc"
