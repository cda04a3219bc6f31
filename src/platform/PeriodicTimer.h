// The periodic timer of the sequencer, its millisecond clock and its scheduling.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// Milliseconds of a monotonic clock; only differences mean anything.
int64_t MillisecondClock();

// The smallest interval the timer keeps, in ms.
constexpr int32_t MinimumTimerPeriod = 1;

// Runs a step on a thread of its own every Interval ms, at absolute deadlines, so
// that a late step does not shift the later ones; deadlines that have already
// passed when a step ends are skipped, not queued.
class TPeriodicTimer {
public:
    TPeriodicTimer() = default;
    ~TPeriodicTimer();
    TPeriodicTimer(const TPeriodicTimer&) = delete;
    TPeriodicTimer& operator=(const TPeriodicTimer&) = delete;

    // False when the thread cannot be started. RealTime asks for real-time
    // scheduling of the timer thread and carries on silently without it.
    bool Start(int32_t IntervalMs, bool RealTime, std::function<void()> Step);
    // Stops the timer. From any other thread it returns once no step runs; from a
    // step itself it only asks the thread to end after that step.
    void Stop();
    bool Running() const { return FRunning.load(); }
    bool OnTimerThread() const { return std::this_thread::get_id() == FThreadId.load(); }

private:
    void Run(int32_t IntervalMs, bool RealTime);
    void JoinFinished();

    std::function<void()> FStep;
    std::thread FThread;
    std::atomic<bool> FRunning{false};
    std::atomic<std::thread::id> FThreadId{};
};
