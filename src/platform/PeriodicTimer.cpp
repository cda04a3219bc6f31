#include "PeriodicTimer.h"

#include <cerrno>
#include <ctime>
#include <pthread.h>
#include <sched.h>

namespace {

constexpr int64_t NsPerMs = 1000000;

int64_t MonotonicNs()
{
    timespec Now;
    ::clock_gettime(CLOCK_MONOTONIC, &Now);
    return static_cast<int64_t>(Now.tv_sec) * 1000000000 + Now.tv_nsec;
}

void SleepUntil(int64_t DeadlineNs)
{
    timespec Deadline{static_cast<time_t>(DeadlineNs / 1000000000), static_cast<long>(DeadlineNs % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &Deadline, nullptr) == EINTR) {
    }
}

// Real-time scheduling for the calling thread only, where the system allows it.
void RequestRealTimeScheduling()
{
    sched_param Param{};
    Param.sched_priority = (sched_get_priority_min(SCHED_FIFO) + sched_get_priority_max(SCHED_FIFO)) / 2;
    ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &Param);
}

} // namespace

int64_t MillisecondClock() { return MonotonicNs() / NsPerMs; }

TPeriodicTimer::~TPeriodicTimer()
{
    Stop();
    JoinFinished();
}

bool TPeriodicTimer::Start(int32_t IntervalMs, bool RealTime, std::function<void()> Step)
{
    Stop();
    JoinFinished();
    if (IntervalMs < MinimumTimerPeriod)
        IntervalMs = MinimumTimerPeriod;
    FStep = std::move(Step);
    FRunning.store(true);
    try {
        FThread = std::thread(&TPeriodicTimer::Run, this, IntervalMs, RealTime);
    } catch (const std::system_error&) {
        FRunning.store(false);
        return false;
    }
    return true;
}

void TPeriodicTimer::Stop()
{
    FRunning.store(false);
    if (!OnTimerThread())
        JoinFinished();
}

void TPeriodicTimer::JoinFinished()
{
    if (FThread.joinable() && !OnTimerThread())
        FThread.join();
}

void TPeriodicTimer::Run(int32_t IntervalMs, bool RealTime)
{
    FThreadId.store(std::this_thread::get_id());
    if (RealTime)
        RequestRealTimeScheduling();
    const int64_t Interval = IntervalMs * NsPerMs;
    int64_t Deadline = MonotonicNs() + Interval;
    while (FRunning.load()) {
        SleepUntil(Deadline);
        if (!FRunning.load())
            break;
        FStep();
        Deadline += Interval;
        const int64_t Now = MonotonicNs();
        if (Deadline <= Now)
            Deadline += (Now - Deadline) / Interval * Interval + Interval; // skip what was missed
    }
    FThreadId.store(std::thread::id{});
}
