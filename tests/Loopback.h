// Helpers for tests against the loopback devices.
#pragma once

#include "platform/MidiDevicesLoopback.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using TMessages = std::vector<std::vector<uint8_t>>;

inline TLoopbackMidiDevices& Loopback() { return *LoopbackMidiDevices(); }

// Starts every test with empty recordings.
class LoopbackTest : public testing::Test {
protected:
    void SetUp() override { Loopback().ClearRecords(); }
    static TMessages Sent(int Device) { return Loopback().RecordedBytes(Device); }
};
