// The program: the main window with its message loop. SIGTERM and SIGINT close
// it as the user would, so playback stops, devices are released and the
// settings are written.
#include "TeskUtils.h"
#include "platform/MidiDevices.h"
#include "uMain.h"
#include "uSetup.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char Byte = 1;
    [[maybe_unused]] const ssize_t Written = ::write(SignalPipe[1], &Byte, 1);
}

// Closing signals become a close of the main window on the event loop.
void CloseOnSignals(TfrmMain& Window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0)
        return;
    auto* Notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &Window);
    QObject::connect(Notifier, &QSocketNotifier::activated, &Window, [&Window, Notifier] {
        char Byte;
        [[maybe_unused]] const ssize_t Read = ::read(SignalPipe[0], &Byte, 1);
        Notifier->setEnabled(false);
        Window.close();
    });
    struct sigaction Action {};
    Action.sa_handler = OnSignal;
    ::sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &Action, nullptr);
    ::sigaction(SIGINT, &Action, nullptr);
}

void ApplyTheme(QApplication& Application)
{
    QFile Theme(":/theme.qss");
    if (Theme.open(QIODevice::ReadOnly))
        Application.setStyleSheet(QString::fromUtf8(Theme.readAll()));
}

} // namespace

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources); // pictures and theme, linked in from a static library
    QApplication Application(argc, argv);
    Application.setApplicationName("Bivoxa");
    Application.setApplicationDisplayName("Bivoxa");
    LoadLogList();
    InitSettingsFileName();
    ApplyTheme(Application);
    int Result;
    {
        TfrmMain Window;
        CloseOnSignals(Window);
        Window.show();
        Result = Application.exec();
    }
    if (SaveLog)
        SaveLogList();
    ShutdownMidiDevices();
    return Result;
}
