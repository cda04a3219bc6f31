// Adding a playlist of 5,000 real songs: how long until AddFiles returns, and
// how long until every entry shows its duration. Usage: playlist_bench [testdata folder]
#include "uMain.h"
#include "uSetup.h"
#include "platform/MidiDevicesLoopback.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("BIVOXA_MIDI_API", "loopback", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir Home;
    ::setenv("XDG_CONFIG_HOME", Home.path().toUtf8().constData(), 1);
    QApplication Application(argc, argv);
    InitSettingsFileName();
    const QString Folder = argc > 1 ? argv[1] : QString(BIVOXA_TESTDATA_DIR) + "/jazz-soft";
    const QStringList Songs = QDir(Folder).entryList({"*.mid"}, QDir::Files, QDir::Name);
    if (Songs.isEmpty()) {
        std::fprintf(stderr, "no songs in %s\n", qPrintable(Folder));
        return 1;
    }
    // 5,000 paths as the command line or a drop gives them: a .dpp file keeps at
    // most the keys that fit its 16 KB key-name block (about 1,800 entries).
    constexpr int Entries = 5000;
    QStringList Paths;
    for (int I = 0; I < Entries; ++I)
        Paths << Folder + "/" + Songs[I % Songs.size()];

    TfrmMain Window;
    QElapsedTimer Timer;
    Timer.start();
    Window.AddFiles(Paths, false);
    const double Returned = static_cast<double>(Timer.nsecsElapsed()) / 1e6;
    Window.WaitForDurations();
    const double Measured = static_cast<double>(Timer.nsecsElapsed()) / 1e6;
    qint64 Total = 0;
    for (int Row = 0; Row < Window.lbFiles->count(); ++Row)
        Total += Window.Items(Row)->Duration;
    std::printf("%d entries (%lld songs): AddFiles returned after %.1f ms; every duration shown after %.1f ms "
                "(%d worker threads); total playing time %lld s\n",
        Window.lbFiles->count(), static_cast<long long>(Songs.size()), Returned, Measured, QThread::idealThreadCount(),
        static_cast<long long>(Total / 1000));
    return 0;
}
