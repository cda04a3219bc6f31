// The split of the real main window: songs and live input go to Port A or
// Port B by channel and mask; system-exclusive data always to Port A.
#include "AppTest.h"

#include "cmpMidiInput.h"
#include "uMIDIPlayer.h"
#include "uMain.h"
#include "uSetup.h"

class ChannelSplitTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TfrmMain> Window;

    void UseMask(uint16_t Mask)
    {
        Window->frmSetup()->SetChannelMask(Mask);
        ChoosePorts(*Window, 1, 2);
        Loopback().ClearRecords();
    }

private slots:
    void init() { Window = std::make_unique<TfrmMain>(); }
    void cleanup() { Window.reset(); }

    void routesEachChannelByTheMask_data()
    {
        QTest::addColumn<int>("Mask");
        QTest::addColumn<int>("Status");
        QTest::addColumn<int>("Device");
        QTest::newRow("all to A, channel 1") << 0xFFFF << 0x90 << SynthA;
        QTest::newRow("all to A, channel 16") << 0xFFFF << 0xBF << SynthA;
        QTest::newRow("all to B, channel 1") << 0x0000 << 0x90 << SynthB;
        QTest::newRow("all to B, channel 10") << 0x0000 << 0xC9 << SynthB;
        QTest::newRow("channel 1 only, channel 1") << 0x0001 << 0x90 << SynthA;
        QTest::newRow("channel 1 only, channel 2") << 0x0001 << 0x91 << SynthB;
        QTest::newRow("channel 10 only, channel 10") << 0x0200 << 0x99 << SynthA;
        QTest::newRow("channel 10 only, channel 9") << 0x0200 << 0x98 << SynthB;
    }

    void routesEachChannelByTheMask()
    {
        QFETCH(int, Mask);
        QFETCH(int, Status);
        QFETCH(int, Device);
        UseMask(static_cast<uint16_t>(Mask));
        Window->Player()->RouteShortMessage(nullptr, MakeShortEvent(static_cast<uint8_t>(Status), 0x3C, 0x55));
        const std::vector<uint8_t> Bytes = ShortMessageLength(static_cast<uint8_t>(Status)) == 2
            ? std::vector<uint8_t>{static_cast<uint8_t>(Status), 0x3C}
            : std::vector<uint8_t>{static_cast<uint8_t>(Status), 0x3C, 0x55};
        QCOMPARE(Sent(Device), TMessages{Bytes});
        QCOMPARE(Sent(Device == SynthA ? SynthB : SynthA), TMessages{});
    }

    void sysexGoesToPortAWhateverTheMask()
    {
        UseMask(0x0000);
        const uint8_t Sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        Window->Player()->InputSysexData(Sysex, sizeof Sysex);
        Window->Player()->RouteSysex(nullptr, Sysex, sizeof Sysex);
        const TMessages Expected = {{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}};
        QCOMPARE(Sent(SynthA), Expected);
        QCOMPARE(Sent(SynthB), TMessages{});
    }

    void portWithoutDeviceIsSilent()
    {
        Window->frmSetup()->SetChannelMask(0x00FF);
        ChoosePorts(*Window, 0, 2); // Port A: "(Brak)"
        Loopback().ClearRecords();
        Window->Player()->RouteShortMessage(nullptr, MakeShortEvent(0x90, 60, 100));
        Window->Player()->RouteShortMessage(nullptr, MakeShortEvent(0x98, 60, 100));
        const uint8_t Sysex[] = {0xF0, 0x01, 0xF7};
        Window->Player()->InputSysexData(Sysex, sizeof Sysex);
        QCOMPARE(Sent(SynthA), TMessages{});
        QCOMPARE(Sent(SynthB), (TMessages{{0x98, 60, 100}}));
        QVERIFY(!Window->midiPortA->Active());
    }

    void liveInputTakesTheSameSplitWithoutASong()
    {
        Window->frmSetup()->lbInputs->item(Keys)->setCheckState(Qt::Checked);
        UseMask(0x0001);
        QVERIFY(Window->MidiInput->DeviceActive(Keys));
        QVERIFY(Loopback().Inject(Keys, 0x403C90));
        QVERIFY(Loopback().Inject(Keys, 0x403C93));
        QVERIFY(Loopback().Inject(Keys, 0xF8)); // clock is not forwarded
        QCOMPARE(Sent(SynthA), (TMessages{{0x90, 0x3C, 0x40}}));
        QCOMPARE(Sent(SynthB), (TMessages{{0x93, 0x3C, 0x40}}));
    }
};

BIVOXA_APP_TEST(ChannelSplitTest)
#include "ChannelSplitTest.moc"
