#include "AppTest.h"

#include "SmfBytes.h"
#include "TeskUtils.h"
#include "uMIDIPlayer.h"
#include "uMain.h"
#include "uSetup.h"

#include <QApplication>
#include <QListWidget>

#include <cstdlib>
#include <map>

namespace {

std::vector<TShownBox>& Boxes()
{
    static std::vector<TShownBox> List;
    return List;
}

std::map<std::string, TTestFactory>& Tests()
{
    static std::map<std::string, TTestFactory> Registered;
    return Registered;
}

} // namespace

std::vector<TShownBox> TakeBoxes() { return std::exchange(Boxes(), {}); }

TLoopbackMidiDevices& Loopback() { return *LoopbackMidiDevices(); }

TMessages Sent(int Device) { return Loopback().RecordedBytes(Device); }

QTemporaryDir& Scratch()
{
    static QTemporaryDir Dir;
    return Dir;
}

QString WriteScratchFile(const QString& Name, const QByteArray& Bytes)
{
    const QString Path = Scratch().filePath(Name);
    QDir().mkpath(QFileInfo(Path).path());
    QFile File(Path);
    File.open(QIODevice::WriteOnly | QIODevice::Truncate);
    File.write(Bytes);
    return Path;
}

QByteArray SongBytes(int NoteQuarters, int Channels)
{
    TBytes File = Header(1, static_cast<uint16_t>(Channels + 1), 96);
    const TBytes Conductor = Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    File.insert(File.end(), Conductor.begin(), Conductor.end());
    for (int Channel = 0; Channel < Channels; ++Channel) {
        TBytes Events;
        for (int Quarter = 0; Quarter < NoteQuarters; ++Quarter) {
            Events.insert(Events.end(), {0x00, static_cast<uint8_t>(0x90 | Channel), static_cast<uint8_t>(60 + Quarter % 12), 100});
            AppendVarLen(Events, 96);
            Events.insert(Events.end(), {static_cast<uint8_t>(0x80 | Channel), static_cast<uint8_t>(60 + Quarter % 12), 0});
        }
        const TBytes Chunk = Track(Events);
        File.insert(File.end(), Chunk.begin(), Chunk.end());
    }
    return QByteArray(reinterpret_cast<const char*>(File.data()), static_cast<qsizetype>(File.size()));
}

void ChoosePorts(TfrmMain& Window, int EntryA, int EntryB)
{
    CheckPortEntry(Window.frmSetup()->lbOutputsA, EntryA);
    CheckPortEntry(Window.frmSetup()->lbOutputsB, EntryB);
    Window.Player()->ApplySettings();
}

bool WaitFor(const std::function<bool()>& Done, int TimeoutMs)
{
    QElapsedTimer Timer;
    Timer.start();
    while (!Done()) {
        if (Timer.elapsed() > TimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
    return true;
}

void RegisterTest(const char* Name, TTestFactory Factory) { Tests()[Name] = std::move(Factory); }

// Usage: app_tests [TestClass [QtTest arguments...]]; without a class, all run.
int main(int argc, char** argv)
{
    ::setenv("BIVOXA_MIDI_API", "loopback", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!Scratch().isValid())
        return 2;
    ::setenv("XDG_CONFIG_HOME", Scratch().filePath("config").toUtf8().constData(), 1);
    Q_INIT_RESOURCE(resources);
    QApplication Application(argc, argv);
    LoopbackMidiDevices()->SetDevices({"Synth A", "Synth B"}, {"Keys"});
    InitSettingsFileName();
    SetMsgBoxPresenter([](const QString& Text, const QString& Caption, int Flags) {
        Boxes().push_back({Text, Caption, Flags});
        return 1;
    });
    QStringList Arguments = Application.arguments();
    std::vector<std::string> Chosen;
    if (Arguments.size() > 1 && Tests().count(Arguments[1].toStdString())) {
        Chosen.push_back(Arguments[1].toStdString());
        Arguments.removeAt(1);
    } else {
        for (const auto& Entry : Tests())
            Chosen.push_back(Entry.first);
    }
    int Failures = 0;
    for (const std::string& Name : Chosen) {
        auto Test = Tests()[Name]();
        Failures += QTest::qExec(Test.get(), Arguments);
    }
    return Failures == 0 ? 0 : 1;
}
