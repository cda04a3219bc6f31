// A JACK client of the test's own with one MIDI output and one MIDI input port,
// standing in for a synthesizer and a keyboard.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TJackPeer {
public:
    explicit TJackPeer(const std::string& Name)
    {
        FClient = jack_client_open(Name.c_str(), JackNoStartServer, nullptr);
        if (FClient == nullptr)
            throw std::runtime_error("no JACK server");
        FOut = jack_port_register(FClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        FIn = jack_port_register(FClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(FClient, &TJackPeer::Process, this);
        jack_activate(FClient);
        FName = jack_get_client_name(FClient);
    }
    ~TJackPeer()
    {
        jack_deactivate(FClient);
        jack_client_close(FClient);
    }
    TJackPeer(const TJackPeer&) = delete;
    TJackPeer& operator=(const TJackPeer&) = delete;

    const std::string& Name() const { return FName; }

    // Sends one message; a long one goes out in pieces over several cycles.
    void Send(const std::vector<uint8_t>& Bytes)
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FOutgoing.push_back(Bytes);
    }

    // Waits until Count events arrived (a long message may arrive in pieces).
    std::vector<std::vector<uint8_t>> WaitForEvents(size_t Count, std::chrono::milliseconds Timeout = std::chrono::seconds(5))
    {
        const auto Deadline = std::chrono::steady_clock::now() + Timeout;
        for (;;) {
            {
                std::lock_guard<std::mutex> Guard(FLock);
                if (FReceived.size() >= Count || std::chrono::steady_clock::now() > Deadline)
                    return FReceived;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Everything received, joined into whole messages.
    std::vector<std::vector<uint8_t>> Messages()
    {
        std::lock_guard<std::mutex> Guard(FLock);
        std::vector<std::vector<uint8_t>> Whole;
        for (const auto& Event : FReceived) {
            if (!Whole.empty() && !Event.empty() && Event[0] < 0x80 && Whole.back()[0] == 0xF0 && Whole.back().back() != 0xF7)
                Whole.back().insert(Whole.back().end(), Event.begin(), Event.end());
            else
                Whole.push_back(Event);
        }
        return Whole;
    }

    bool Idle()
    {
        std::lock_guard<std::mutex> Guard(FLock);
        return FOutgoing.empty();
    }

private:
    static int Process(jack_nframes_t Frames, void* Self) { return static_cast<TJackPeer*>(Self)->ProcessCycle(Frames); }

    int ProcessCycle(jack_nframes_t Frames)
    {
        std::lock_guard<std::mutex> Guard(FLock);
        void* In = jack_port_get_buffer(FIn, Frames);
        const uint32_t Count = jack_midi_get_event_count(In);
        for (uint32_t I = 0; I < Count; ++I) {
            jack_midi_event_t Event;
            if (jack_midi_event_get(&Event, In, I) == 0)
                FReceived.emplace_back(Event.buffer, Event.buffer + Event.size);
        }
        void* Out = jack_port_get_buffer(FOut, Frames);
        jack_midi_clear_buffer(Out);
        while (!FOutgoing.empty()) {
            std::vector<uint8_t>& Next = FOutgoing.front();
            const size_t Room = jack_midi_max_event_size(Out);
            if (Room == 0)
                break;
            const size_t Piece = std::min(Room, Next.size() - FSentOfFront);
            if (jack_midi_event_write(Out, 0, Next.data() + FSentOfFront, Piece) != 0)
                break;
            FSentOfFront += Piece;
            if (FSentOfFront < Next.size())
                break; // the rest in the next cycle
            FOutgoing.pop_front();
            FSentOfFront = 0;
        }
        return 0;
    }

    jack_client_t* FClient = nullptr;
    jack_port_t* FOut = nullptr;
    jack_port_t* FIn = nullptr;
    std::string FName;
    std::mutex FLock;
    std::deque<std::vector<uint8_t>> FOutgoing;
    size_t FSentOfFront = 0;
    std::vector<std::vector<uint8_t>> FReceived;
};
