// config.xml: the exact bytes written, the rules for reading it back, and two
// mended faults (characters Windows-1250 lacks; a failed write keeps the old file).
#include "AppTest.h"

#include "SettingsXml.h"
#include "TeskUtils.h"
#include "uMain.h"
#include "uSetup.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray Prolog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                          "<!--Do not remove comment lines! Nie usuwaj komentarzy-->\r\n"
                          "<!--Bivoxa OEM-->\r\n"
                          "<!--Version: 2009.1.0a-->\r\n"
                          "<!--E-mail: bivoxa@marvessa.example-->\r\n";

void WriteSettings(const QByteArray& Bytes)
{
    QDir().mkpath(QFileInfo(SettingsFileName()).path());
    QFile File(SettingsFileName());
    QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    File.write(Bytes);
}

QByteArray ReadSettings()
{
    QFile File(SettingsFileName());
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

QByteArray Window(const QByteArray& Children) { return "<Settings><WindowSettings>" + Children + "</WindowSettings></Settings>"; }

QByteArray Outputs(const QByteArray& Children)
{
    return "<Settings><MIDISettings><MIDIOutputs>" + Children + "</MIDIOutputs></MIDISettings></Settings>";
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmMain> Open() { return std::make_unique<TfrmMain>(); }

private slots:
    void init()
    {
        QFile::remove(SettingsFileName());
        TakeBoxes();
    }

    void writesTheExactBytes()
    {
        const QString Open = Scratch().filePath("Muzyka ł");
        const QString Save = Scratch().filePath("Музыка & <nuty>");
        {
            auto Main = this->Open();
            Main->move(10, 20);
            Main->resize(360, 340);
            Main->FLastOpenFolder = Open;
            Main->FLastSaveFolder = Save;
            Main->chkRepeat->setChecked(true);
        }
        const QByteArray Expected = Prolog
            + "  <Settings>\r\n"
              "    <WindowSettings>\r\n"
              "      <MainWindowLeft>10</MainWindowLeft>\r\n"
              "      <MainWindowTop>20</MainWindowTop>\r\n"
              "      <MainWindowWidth>360</MainWindowWidth>\r\n"
              "      <MainWindowHeight>340</MainWindowHeight>\r\n"
              "      <LastOpenFolder>"
            + Scratch().path().toUtf8()
            + "/Muzyka &#xb3;</LastOpenFolder>\r\n"
              "      <LastSaveFolder>"
            + Scratch().path().toUtf8()
            + "/&#x041c;&#x0443;&#x0437;&#x044b;&#x043a;&#x0430; &amp; &lt;nuty&gt;</LastSaveFolder>\r\n"
              "      <Auto>0</Auto>\r\n"
              "      <Random>0</Random>\r\n"
              "      <Repeat>-1</Repeat>\r\n"
              "    </WindowSettings>\r\n"
              "    <MIDISettings>\r\n"
              "      <MIDIInputs/>\r\n"
              "      <MIDIOutputs>\r\n"
              "        <PortAIndex>(Brak)</PortAIndex>\r\n"
              "        <PortBIndex>(Brak)</PortBIndex>\r\n"
              "        <SMFMask>65535</SMFMask>\r\n"
              "      </MIDIOutputs>\r\n"
              "    </MIDISettings>\r\n"
              "  </Settings>\r\n";
        QCOMPARE(ReadSettings(), Expected);

        // Read back: the Windows-1250 letter and the Cyrillic name both survive.
        QDir().mkpath(Open);
        QDir().mkpath(Save);
        auto Main = this->Open();
        QCOMPARE(Main->FLastOpenFolder, Open);
        QCOMPARE(Main->FLastSaveFolder, Save);
        QVERIFY(Main->chkRepeat->isChecked());
        QVERIFY(TakeBoxes().empty());
    }

    void writesChoicesAndChannels()
    {
        {
            auto Main = Open();
            Main->frmSetup()->lbInputs->item(0)->setCheckState(Qt::Checked);
            CheckPortEntry(Main->frmSetup()->lbOutputsA, 2);
            Main->frmSetup()->SetChannelMask(65023);
        }
        const QByteArray Bytes = ReadSettings();
        QVERIFY(Bytes.contains("      <MIDIInputs>\r\n        <MIDIInput>Keys</MIDIInput>\r\n      </MIDIInputs>\r\n"));
        QVERIFY(Bytes.contains("<PortAIndex>Synth B</PortAIndex>"));
        QVERIFY(Bytes.contains("<SMFMask>65023</SMFMask>"));
        auto Main = Open();
        QCOMPARE(Main->frmSetup()->SelectedPortA(), 2);
        QCOMPARE(Main->frmSetup()->SelectedPortB(), 0);
        QVERIFY(Main->frmSetup()->InputActive(0));
        QCOMPARE(Main->frmSetup()->ChannelMask(), uint16_t(65023));
    }

    void windowGeometryRules_data()
    {
        const int WorkWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
        QTest::addColumn<QList<int>>("Stored"); // left, top, width, height; -1 leaves the element out
        QTest::addColumn<bool>("Horizontal");
        QTest::addColumn<bool>("Vertical");
        QTest::newRow("minimum width applies, minimum height does not") << QList<int>{5, 6, 350, 335} << true << false;
        QTest::newRow("both pairs applied") << QList<int>{5, 6, 400, 336} << true << true;
        QTest::newRow("partly outside the work area") << QList<int>{WorkWidth - 100, 6, 400, 336} << false << true;
        QTest::newRow("missing height") << QList<int>{5, 6, 400, -1} << true << false;
        QTest::newRow("too narrow") << QList<int>{5, 6, 349, 400} << false << true;
    }

    void windowGeometryRules()
    {
        QFETCH(QList<int>, Stored);
        QFETCH(bool, Horizontal);
        QFETCH(bool, Vertical);
        const QRect Own = [this] {
            auto Plain = Open();
            return QRect(Plain->pos(), Plain->size());
        }();
        QFile::remove(SettingsFileName());
        QByteArray Values;
        const char* Names[] = {"MainWindowLeft", "MainWindowTop", "MainWindowWidth", "MainWindowHeight"};
        for (int I = 0; I < 4; ++I)
            if (Stored[I] >= 0)
                Values += QByteArray("<") + Names[I] + ">" + QByteArray::number(Stored[I]) + "</" + Names[I] + ">";
        WriteSettings(Prolog + Window(Values));
        auto Main = Open();
        const QRect Expected(Horizontal ? Stored[0] : Own.left(), Vertical ? Stored[1] : Own.top(),
            Horizontal ? Stored[2] : Own.width(), Vertical ? Stored[3] : Own.height());
        QCOMPARE(QRect(Main->pos(), Main->size()), Expected);
    }

    void masksOutOfRangeAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("Mask");
        QTest::addColumn<int>("Expected");
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("65023") << QByteArray("65023") << 65023;
        QTest::newRow("65536") << QByteArray("65536") << 0xFFFF;
        QTest::newRow("negative") << QByteArray("-1") << 0xFFFF;
        QTest::newRow("not a number") << QByteArray("abc") << 0xFFFF;
    }

    void masksOutOfRangeAreIgnored()
    {
        QFETCH(QByteArray, Mask);
        QFETCH(int, Expected);
        WriteSettings(Prolog + Outputs("<SMFMask>" + Mask + "</SMFMask>"));
        auto Main = Open();
        QCOMPARE(int(Main->frmSetup()->ChannelMask()), Expected);
        if (Expected == 0)
            QCOMPARE(Main->frmSetup()->lbSMFB->count(), 16);
    }

    void filesNotOursAreIgnoredWhole_data()
    {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::newRow("no identifying comment")
            << QByteArray("<?xml version=\"1.0\"?>\r\n<!--Other-->\r\n") + Outputs("<SMFMask>0</SMFMask>");
        QTest::newRow("another root") << Prolog + "<Config><MIDISettings><MIDIOutputs><SMFMask>0</SMFMask>"
                                                  "</MIDIOutputs></MIDISettings></Config>";
    }

    void filesNotOursAreIgnoredWhole()
    {
        QFETCH(QByteArray, Bytes);
        WriteSettings(Bytes);
        auto Main = Open();
        QCOMPARE(Main->frmSetup()->ChannelMask(), uint16_t(0xFFFF));
        QVERIFY(TakeBoxes().empty());
    }

    void readsFilesWrittenOnWindows()
    {
        QDir().mkpath(Scratch().filePath("Muzyka ł"));
        // A byte reference in Windows-1250, a byte-order mark, a device name with "&".
        WriteSettings("\xEF\xBB\xBF" + Prolog + "<Settings><WindowSettings><LastOpenFolder>" + Scratch().path().toUtf8()
            + "/Muzyka &#xB3;</LastOpenFolder><Auto>True</Auto><Random>7</Random></WindowSettings>"
              "<MIDISettings><MIDIOutputs><PortBIndex>Synth A</PortBIndex><PortAIndex>Nowhere</PortAIndex>"
              "</MIDIOutputs></MIDISettings></Settings>");
        auto Main = Open();
        QCOMPARE(Main->FLastOpenFolder, Scratch().filePath("Muzyka ł"));
        QVERIFY(Main->chkAuto->isChecked());
        QVERIFY(Main->chkRandom->isChecked());
        QCOMPARE(Main->frmSetup()->SelectedPortB(), 1);
        QCOMPARE(Main->frmSetup()->SelectedPortA(), 0); // no such device: the choice stays
    }

    void aBrokenFileIsReported()
    {
        WriteSettings(Prolog + "<Settings><WindowSettings>");
        auto Main = Open();
        const auto Boxes = TakeBoxes();
        QCOMPARE(Boxes.size(), size_t(1));
        QVERIFY(Boxes[0].Text.startsWith("Podczas odczytu ustawień wystąpił błąd: \r\n"));
        QCOMPARE(Boxes[0].Caption, QString("odczyt ustawień"));
    }

    void aFailedWriteKeepsTheOldFile()
    {
        WriteSettings(Prolog + Outputs("<SMFMask>7</SMFMask>"));
        const QByteArray Old = ReadSettings();
        auto Main = Open();
        // Files may grow to 100 bytes only: the new file cannot be written.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit Saved;
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        rlimit Small = Saved;
        Small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &Small);
        Main.reset();
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        QCOMPARE(ReadSettings(), Old);
        const auto Boxes = TakeBoxes();
        QCOMPARE(Boxes.size(), size_t(1));
        QVERIFY(Boxes[0].Text.startsWith("Podczas zapisu ustawień wystąpił błąd:\r\n"));
        QCOMPARE(Boxes[0].Caption, QString("Zapis ustawień"));
    }

    void aFolderThatCannotBeMadeIsReported()
    {
        const QString Saved = SettingsFileName();
        const QString Blocker = WriteScratchFile("blocker", "x");
        SettingsFileName() = Blocker + "/Marvessa/config.xml";
        Open().reset();
        SettingsFileName() = Saved;
        const auto Boxes = TakeBoxes();
        QCOMPARE(Boxes.size(), size_t(1));
        QCOMPARE(Boxes[0].Text,
            "Podczas zapisu ustawień wystąpił błąd:\r\nNie można utworzyć pliku w folderze:\r\n" + Blocker + "/Marvessa");
    }

    void escapesAndReferences()
    {
        QCOMPARE(EscapeXmlText("a&b<c>\"d'"), QString("a&amp;b&lt;c&gt;&quot;d&apos;"));
        QCOMPARE(EscapeXmlText("Łódź æ 中"), QString("&#xa3;&#xf3;d&#x9f; &#x00e6; &#x4e2d;"));
        const TXmlDocument Read = ReadXmlDocument(
            "<!--Bivoxa OEM--><Settings><A>&#xa3;&#179;&#x00e6;&#x4e2d;&#65;</A></Settings>");
        QCOMPARE(Read.Root.Child("A")->Text, QString("Łłæ中A"));
        QCOMPARE(Read.Comments, QStringList{"Bivoxa OEM"});
    }
};

BIVOXA_APP_TEST(SettingsFileTest)
#include "SettingsFileTest.moc"
