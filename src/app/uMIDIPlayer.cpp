#include "uMIDIPlayer.h"

#include "TeskUtils.h"
#include "cmpMidiData.h"
#include "cmpMidiInput.h"
#include "cmpMidiOutput.h"
#include "cmpMidiPlayer.h"
#include "cmpTrackOutputs.h"
#include "uMain.h"
#include "uSetup.h"

#include <QFileInfo>
#include <QTimer>

TPlayer::TPlayer(TfrmMain* MainWindow) : FMain(MainWindow)
{
    FMain->MidiInput->SetStepMode(true);
    FMain->MidiInput->OnStepData = [this](const TEventData& Data) { InputStepData(Data); };
    FMain->MidiInput->OnSysexData = [this](const uint8_t* Data, uint16_t Length) { InputSysexData(Data, Length); };
    FPositionTimer = new QTimer(this);
    FPositionTimer->setInterval(250);
    connect(FPositionTimer, &QTimer::timeout, this, &TPlayer::TimerTick);
    VirtualMIDIPort.OnShortMessage = [this](void* Sender, const TEventData& Data) { RouteShortMessage(Sender, Data); };
    VirtualMIDIPort.OnSysex = [this](void* Sender, const uint8_t* Data, int32_t Length) { RouteSysex(Sender, Data, Length); };
}

TPlayer::~TPlayer()
{
    Stop();
    for (int I = 0; I < FMain->frmSetup()->InputCount(); ++I)
        FMain->MidiInput->SetDeviceActive(I, false);
    FMain->midiPortA->SetActive(false);
    FMain->midiPortB->SetActive(false);
    // Nothing may reach a destroyed controller.
    FMain->MidiInput->OnStepData = nullptr;
    FMain->MidiInput->OnSysexData = nullptr;
    VirtualMIDIPort.OnShortMessage = nullptr;
    VirtualMIDIPort.OnSysex = nullptr;
}

bool TPlayer::Open(const QString& FileName)
{
    if (!QFileInfo(FileName).isFile())
        return false;
    try {
        Unload(); // a loaded song gives way, so that the new file is what ends up loaded
        FMain->MidiData->SetFileName(FileName.toStdString());
        FMain->MidiData->SetActive(true);
        FState = pbReady;
        FMain->MidiPlayer->SeekToEnd();
        FSongLength = FMain->MidiPlayer->Position();
        FMain->MidiPlayer->AttachMidiData();
        FMain->MidiPlayer->Rewind();
        FMain->MidiPlayer->SetPosition(0);
        FMain->TrackOutputs->SetActive(true);
        if (OnPosition)
            OnPosition(this, 0);
        return true;
    } catch (const std::exception& Error) {
        MsgBox({"Podczas odtwarzania wystąpił błąd:", QString::fromUtf8(Error.what())}, "Odtwarzanie MIDI...", mbIconError);
        return false;
    }
}

// Stops and unloads without raising OnStop.
void TPlayer::Unload()
{
    if (FState == pbIdle)
        return;
    FPositionTimer->stop();
    FMain->MidiPlayer->Stop();
    FMain->MidiData->SetActive(false);
    FMain->midiPortA->AllNotesOff();
    FMain->midiPortB->AllNotesOff();
    FMain->midiPortA->ResetControllers();
    FMain->midiPortB->ResetControllers();
    FMain->TrackOutputs->SetActive(false);
    FState = pbIdle;
}

void TPlayer::Play()
{
    if (FState == pbPlaying || FMain->MidiPlayer->Position() >= FSongLength)
        return;
    FMain->MidiPlayer->SetPlay(true);
    FState = pbPlaying;
    FPositionTimer->start();
    if (OnPlay)
        OnPlay(this);
}

void TPlayer::Pause()
{
    if (FState != pbPlaying)
        return;
    FPositionTimer->stop();
    FMain->MidiPlayer->SetPaused(true);
    FMain->MidiPlayer->AllNotesOff();
    FState = pbReady;
    if (OnPause)
        OnPause(this);
}

void TPlayer::Stop()
{
    if (FState == pbIdle)
        return;
    Unload();
    if (OnStop)
        OnStop(this);
}

void TPlayer::Seek(int32_t Position)
{
    if (FState == pbIdle)
        return;
    FMain->MidiPlayer->SetPosition(Position);
    if (OnPosition)
        OnPosition(this, FMain->MidiPlayer->Position());
}

void TPlayer::TimerTick()
{
    if (FState == pbIdle)
        return;
    const int32_t Position = FMain->MidiPlayer->Position();
    if (Position >= FSongLength)
        Stop();
    else if (OnPosition)
        OnPosition(this, Position);
}

void TPlayer::BindPort(TMidiOutputPort* Port, int Choice)
{
    Port->SetActive(false);
    if (Choice < 1)
        return; // "(Brak)" or nothing checked: the port stays silent
    Port->SetPortId(Choice - 1);
    Port->SetActive(true);
    if (TMidiOutputDevice* Device = Port->Handle())
        Device->SetVolume(0xFFFFFFFF);
}

void TPlayer::ApplySettings()
{
    TfrmSetup* Setup = FMain->frmSetup();
    FChannelMask.store(Setup->ChannelMask());
    try {
        for (int I = 0; I < Setup->InputCount() && I < TMidiInput::MaxInputDevices; ++I)
            FMain->MidiInput->SetDeviceActive(I, Setup->InputActive(I));
        BindPort(FMain->midiPortA, Setup->SelectedPortA());
        BindPort(FMain->midiPortB, Setup->SelectedPortB());
    } catch (const std::exception& Error) {
        MsgBox({"Podczas ustawiania portów MIDI wystąpił błąd:", QString::fromUtf8(Error.what())}, "Porty MIDI", mbIconError);
    }
}

void TPlayer::RouteShortMessage(void*, const TEventData& Data)
{
    const TEventData Copy = Data;
    const auto Bit = static_cast<uint16_t>(1u << (Copy.Status & 0x0F));
    ((FChannelMask.load() & Bit) == Bit ? FMain->midiPortA : FMain->midiPortB)->SendEvent(Copy);
}

void TPlayer::RouteSysex(void*, const uint8_t* Data, int32_t Length) { FMain->midiPortA->SendSysex(Data, Length); }

void TPlayer::InputStepData(const TEventData& Data) { RouteShortMessage(this, Data); }

void TPlayer::InputSysexData(const uint8_t* Data, uint16_t Length) { RouteSysex(this, Data, Length); }
