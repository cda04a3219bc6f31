// In-process MIDI devices for tests: outputs record every message with a
// monotonic time stamp; a test injects input from a thread of its own.
#pragma once

#include "MidiDevices.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct TRecordedMessage {
    int64_t TimeNs = 0;         // CLOCK_MONOTONIC
    uint32_t Short = 0;         // a short message, status in the lowest byte; 0 for long data
    std::vector<uint8_t> Long;  // system-exclusive data

    // The message's bytes, status first.
    std::vector<uint8_t> Bytes() const;
};

class TLoopbackMidiDevices : public TMidiDeviceLayer {
public:
    TLoopbackMidiDevices();
    ~TLoopbackMidiDevices() override;

    // Replaces the device lists; devices already open keep working.
    void SetDevices(const std::vector<std::string>& Outputs, const std::vector<std::string>& Inputs);

    std::vector<std::string> OutputNames() override;
    std::vector<std::string> InputNames() override;
    std::unique_ptr<TMidiOutputDevice> OpenOutput(int Id, TMidiNotify Notify, uintptr_t Instance) override;
    std::unique_ptr<TMidiInputDevice> OpenInput(int Id, TMidiNotify Notify, uintptr_t Instance) override;

    // What reached output Id since the last ClearRecords, in order.
    std::vector<TRecordedMessage> Recorded(int Id);
    // Recorded messages of output Id as bytes only.
    std::vector<std::vector<uint8_t>> RecordedBytes(int Id);
    void ClearRecords();
    int OpenCount(int Id);  // how many times output Id was opened
    int CloseCount(int Id); // how many times output Id was closed
    bool IsOpen(int Id);

    // Delivers a short message from input Id on the calling thread; false when it is not open.
    bool Inject(int Id, uint32_t Message);
    // Spreads a system-exclusive message over the queued buffers of input Id, as a
    // device does; a message longer than one buffer fills several.
    bool InjectSysex(int Id, const std::vector<uint8_t>& Bytes);

    // Called by the devices themselves.
    struct TOutputState;
    struct TInputState;

private:
    TOutputState* Output(int Id);
    template <class TValue>
    TValue ReadOutput(int Id, TValue Default, TValue TOutputState::*Field);
    TInputState* Input(int Id);

    std::mutex FLock;
    std::vector<std::string> FOutputNames;
    std::vector<std::string> FInputNames;
    std::deque<TOutputState> FOutputs;
    std::deque<TInputState> FInputs;
};

// The loopback layer when it is the process's layer, else nullptr.
TLoopbackMidiDevices* LoopbackMidiDevices();
