// Shared set-up of the desktop tests: offscreen windows, loopback devices,
// a settings folder of their own, and message boxes recorded instead of shown.
#pragma once

#include "platform/MidiDevicesLoopback.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest/QtTest>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TfrmMain;

using TMessages = std::vector<std::vector<uint8_t>>;

constexpr int SynthA = 0, SynthB = 1, Keys = 0;

struct TShownBox {
    QString Text, Caption;
    int Flags;
};

// Boxes shown since the last call.
std::vector<TShownBox> TakeBoxes();

TLoopbackMidiDevices& Loopback();
TMessages Sent(int Device);

// A folder for the test's files, removed afterwards.
QTemporaryDir& Scratch();
// Writes bytes to a file in the scratch folder and returns its path.
QString WriteScratchFile(const QString& Name, const QByteArray& Bytes);
// A playable song: NoteQuarters quarter notes of notes on Channels channels at 96 ppqn, 500 ms a quarter.
QByteArray SongBytes(int NoteQuarters, int Channels = 1);

// Chooses Port A and Port B in the settings window (entries: 0 "(Brak)", 1 Synth A, 2 Synth B) and applies them.
void ChoosePorts(TfrmMain& Window, int EntryA, int EntryB);

// Runs the event loop until Done() or the timeout.
bool WaitFor(const std::function<bool()>& Done, int TimeoutMs = 5000);

// Every test class registers itself, so one program runs them by name.
using TTestFactory = std::function<std::unique_ptr<QObject>()>;
void RegisterTest(const char* Name, TTestFactory Factory);

template <class TTest>
struct TRegisterTest {
    explicit TRegisterTest(const char* Name)
    {
        RegisterTest(Name, [] { return std::make_unique<TTest>(); });
    }
};

#define BIVOXA_APP_TEST(Class) static const TRegisterTest<Class> Register##Class(#Class);
