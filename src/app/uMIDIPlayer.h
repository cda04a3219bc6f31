// The playback controller and the channel split: every short message of the
// song and of live MIDI In goes to Port A or Port B by its channel and
// ChannelMask; system-exclusive data goes to Port A.
#pragma once

#include "unitMidiGlobals.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>

class QTimer;
class TfrmMain;

enum TPlaybackState : uint8_t { pbIdle = 0, pbReady = 1, pbPlaying = 2 };

using TControllerEvent = std::function<void(void* Sender)>;
using TPositionEvent = std::function<void(void* Sender, int32_t Position)>;

class TPlayer : public QObject {
    Q_OBJECT
public:
    explicit TPlayer(TfrmMain* MainWindow);
    ~TPlayer() override;

    bool Open(const QString& FileName);
    void Play();
    void Pause();
    void Stop();
    void Seek(int32_t Position);
    void ApplySettings();

    TPlaybackState State() const { return FState; }
    int32_t SongLength() const { return FSongLength; }
    uint16_t ChannelMask() const { return FChannelMask.load(); }
    QTimer* PositionTimer() const { return FPositionTimer; }

    // The split; run on the sequencer's timer thread, the input thread and the main thread.
    void RouteShortMessage(void* Sender, const TEventData& Data);
    void RouteSysex(void* Sender, const uint8_t* Data, int32_t Length);
    void InputStepData(const TEventData& Data);
    void InputSysexData(const uint8_t* Data, uint16_t Length);

    void TimerTick();

    TControllerEvent OnPlay;
    TControllerEvent OnPause;
    TControllerEvent OnStop;
    TPositionEvent OnPosition;

private:
    void Unload();
    void BindPort(class TMidiOutputPort* Port, int Choice);

    TfrmMain* FMain;
    TPlaybackState FState = pbIdle;
    int32_t FSongLength = 0;
    std::atomic<uint16_t> FChannelMask{0xFFFF};
    QTimer* FPositionTimer;
};
