#include "pool/WorkerPool.h"

#include "pool/PoolCore.h"
#include "pool/PoolSeams.h"
#include "support/PumpingWait.h"

#include <algorithm>
#include <new>
#include <utility>

namespace pool {

using detail::CoreRef;
using detail::PoolCore;

namespace {

constexpr LONG kStopped = static_cast<LONG>(PoolState::Stopped);
constexpr LONG kRunning = static_cast<LONG>(PoolState::Running);
constexpr LONG kStarting = static_cast<LONG>(PoolState::Starting);
constexpr LONG kStopping = static_cast<LONG>(PoolState::Stopping);

constexpr int32_t kDefaultWorkers = 5;
constexpr int kFailuresToGiveUp = 5;
constexpr DWORD kPollMs = 20;
constexpr int32_t kPumpEveryQuits = 100;

SIZE_T stackBytes(int32_t requested) {
    if (requested == 0)
        return 0;
    if (requested < 8192)
        return 8192;
    return static_cast<SIZE_T>(requested - requested % 4096);
}

// Elapsed milliseconds as an unsigned 32-bit difference: right across the
// counter's wrap-around.
DWORD elapsedSince(DWORD startTick) { return PoolSeams::tickCount() - startTick; }

void waitBriefly(HANDLE wake) {
    if (wake)
        WaitForSingleObject(wake, kPollMs);
    else
        Sleep(1);
}

}  // namespace

WorkerPool::WorkerPool() : core_(PoolSeams::failWorkerEntry ? nullptr : new (std::nothrow) PoolCore) {}

WorkerPool::~WorkerPool() { destroy(); }

void WorkerPool::destroy() {
    PoolCore* core = std::exchange(core_, nullptr);
    if (!core)
        return;
    // A start still creating threads sees this when it ends and stops them itself.
    InterlockedExchange(&core->destroyed, 1);
    stopCore(*core, 2, 0, false);
    core->release();
}

bool WorkerPool::start(std::optional<int32_t> workerCount, bool pumpMessages, int32_t stackSize) {
    PoolCore* core = core_;
    if (!core)
        return false;  // no worker entry: no thread may be started
    CoreRef hold(core);  // the pool object may be destroyed while this runs
    if (InterlockedCompareExchange(&core->state, kStarting, kStopped) != kStopped)
        return false;

    const int32_t count = workerCount ? std::max(*workerCount, int32_t{1}) : kDefaultWorkers;
    const SIZE_T stack = stackBytes(stackSize);

    forms::UniqueHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0));
    if (!port) {
        InterlockedExchange(&core->state, kStopped);
        return false;
    }
    const uint32_t generation = ++core->generation;
    core->accepting = 1;
    core->liveWorkers = 0;
    core->busyWorkers = 0;
    core->queuedTasks = 0;
    core->createdWorkers = 0;
    core->portOwner = std::move(port);
    core->port = core->portOwner.get();
    InterlockedExchange64(&core->members, static_cast<LONG64>(detail::membersWord(generation, false, 0)));
    HANDLE wake = detail::wakeEvent(*core);

    int32_t created = 0;
    int failuresInRow = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (launchWorker(*core, generation, stack)) {
            ++created;
            failuresInRow = 0;
        } else if (++failuresInRow == kFailuresToGiveUp) {
            break;
        }
        if (pumpMessages)
            support::processPendingMessages();
    }
    core->createdWorkers = created;

    if (created > 0) {
        const DWORD limit = static_cast<DWORD>(std::min<int64_t>(int64_t{created} * 10 + 1000, 0x7FFFFFFF));
        const DWORD began = PoolSeams::tickCount();
        while (core->liveWorkers < created && elapsedSince(began) < limit) {
            waitBriefly(wake);
            if (pumpMessages)
                support::processPendingMessages();
        }
    }

    // Nobody joined: close this start so its late workers leave at once.
    const uint64_t empty = detail::membersWord(generation, false, 0);
    if (static_cast<uint64_t>(InterlockedCompareExchange64(
            &core->members, static_cast<LONG64>(detail::membersWord(generation, true, 0)),
            static_cast<LONG64>(empty))) == empty) {
        core->accepting = 0;
        detail::closePort(*core);
        InterlockedExchange(&core->state, kStopped);
        return false;
    }
    InterlockedExchange(&core->state, kRunning);
    if (InterlockedCompareExchange(&core->destroyed, 0, 0))
        stopCore(*core, 2, 0, false);
    return true;
}

bool WorkerPool::stop(int32_t mode, int32_t timeoutMs, bool pumpMessages) {
    PoolCore* core = core_;
    if (!core)
        return true;  // nothing runs
    CoreRef hold(core);  // the last worker may otherwise free it while we wait
    return stopCore(*core, mode, timeoutMs, pumpMessages);
}

bool WorkerPool::stopCore(PoolCore& core, int32_t mode, int32_t timeoutMs, bool pumpMessages) {
    InterlockedIncrement(&core.posting);  // keeps the port open while the quit packets go in
    const LONG was = InterlockedCompareExchange(&core.state, kStopping, kRunning);
    if (was != kRunning) {
        InterlockedDecrement(&core.posting);
        return was == kStopped;
    }
    if (mode < 0 || mode > 3)
        mode = 0;
    const bool waits = mode == 0 || mode == 1;
    HANDLE wake = waits ? detail::wakeEvent(core) : nullptr;
    if (mode == 0 || mode == 2)
        core.accepting = 0;

    // One quit packet per thread this start created, not per live worker: a
    // worker that comes alive late still finds one.
    const LONG quits = core.createdWorkers;
    auto* quitMarker = reinterpret_cast<LPOVERLAPPED>(static_cast<INT_PTR>(-2));
    for (LONG i = 1; i <= quits; ++i) {
        PostQueuedCompletionStatus(core.port, 0xFFFFFFFFu, ULONG_PTR{0xFFFFFFFFu}, quitMarker);
        if (pumpMessages && i % kPumpEveryQuits == 0)
            support::processPendingMessages();
    }
    InterlockedDecrement(&core.posting);
    if (!waits)
        return true;

    const DWORD began = PoolSeams::tickCount();
    while (core.state == kStopping) {
        if (timeoutMs > 0 && elapsedSince(began) > static_cast<DWORD>(timeoutMs))
            return false;
        waitBriefly(wake);
        if (pumpMessages)
            support::processPendingMessages();
    }
    return true;
}

bool WorkerPool::post(TaskRoutine routine, int32_t a, int32_t b) {
    return postPointer(reinterpret_cast<uintptr_t>(routine), a, b);
}

bool WorkerPool::postPointer(uintptr_t routineAddress, int32_t a, int32_t b) {
    PoolCore* core = core_;
    if (!core || !routineAddress || core->state != kRunning)
        return false;
    // Announce the use of the port, then look again: the last worker closes the
    // port only when no post is between these two points.
    InterlockedIncrement(&core->posting);
    bool queued = false;
    if (core->state == kRunning) {
        InterlockedIncrement(&core->queuedTasks);
        queued = PostQueuedCompletionStatus(core->port, static_cast<uint32_t>(a),
                                            static_cast<ULONG_PTR>(static_cast<uint32_t>(b)),
                                            reinterpret_cast<LPOVERLAPPED>(routineAddress)) != FALSE;
        if (!queued)
            InterlockedDecrement(&core->queuedTasks);
    }
    InterlockedDecrement(&core->posting);
    return queued;
}

int32_t WorkerPool::idleCount() const { return core_ ? core_->liveWorkers - core_->busyWorkers : 0; }
int32_t WorkerPool::busyCount() const { return core_ ? core_->busyWorkers : 0; }
int32_t WorkerPool::queuedCount() const { return core_ ? core_->queuedTasks : 0; }
int32_t WorkerPool::liveCount() const { return core_ ? core_->liveWorkers : 0; }
bool WorkerPool::isIdle() const { return !core_ || (core_->queuedTasks == 0 && core_->busyWorkers == 0); }
PoolState WorkerPool::state() const { return core_ ? static_cast<PoolState>(core_->state) : PoolState::Stopped; }

}  // namespace pool
