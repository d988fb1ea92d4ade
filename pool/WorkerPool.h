// Short tasks run by a fixed set of worker threads that all wait on one I/O
// completion port. The lifecycle changes by compare-and-swap and exchange, the
// counters by interlocked operations; no lock is taken and nothing is
// allocated per task.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace pool {

enum class PoolState : int32_t { Stopped = 0, Running = 1, Starting = 2, Stopping = 3 };

// A task: a routine and two 32-bit values, carried whole in one completion packet.
using TaskRoutine = void (*)(int32_t a, int32_t b);

namespace detail {
struct PoolCore;
}

class WorkerPool {
public:
    // Creates no port, event or thread yet.
    WorkerPool();
    // Same as destroy().
    ~WorkerPool();

    // Not copyable: the port, event and workers belong to one pool, and a copy
    // sharing them would be stopped by the other's destroy.
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Stops without waiting (mode 2) and lets go of the pool's shared state;
    // workers still leaving keep it alive until the last one is gone. Never
    // waits. Every other operation on a destroyed pool is refused or reads 0.
    void destroy();

    // Starts `workerCount` workers (omitted: 5; below 1: 1) with stacks of
    // `stackSize` bytes (0: the system default; below 8192: 8192; otherwise
    // rounded down to 4 KB). True when at least one worker runs; false when the
    // pool was not Stopped, or no worker came alive.
    bool start(std::optional<int32_t> workerCount = std::nullopt, bool pumpMessages = false, int32_t stackSize = 0);

    // Mode 0: queued tasks dropped, waits; 1: queued tasks run first, waits;
    // 2: dropped, no wait; 3: run first, no wait; any other mode: 0.
    // `timeoutMs` above 0 limits the wait. True when the pool was already
    // Stopped, when a mode 2 or 3 stop has told every worker to leave, or when
    // the pool reached Stopped; false when refused (Starting, Stopping) or timed out.
    bool stop(int32_t mode = 0, int32_t timeoutMs = 0, bool pumpMessages = false);

    // Queues routine(a, b). Refused outside Running and for a null routine.
    bool post(TaskRoutine routine, int32_t a = 0, int32_t b = 0);
    bool postPointer(uintptr_t routineAddress, int32_t a = 0, int32_t b = 0);

    // Plain reads, from any thread at any time.
    int32_t idleCount() const;
    int32_t busyCount() const;
    int32_t queuedCount() const;
    int32_t liveCount() const;
    bool isIdle() const;
    PoolState state() const;

private:
    // The body of every worker thread; the thread's start parameter carries the
    // shared state and the start it belongs to.
    static uint32_t workerLoop(detail::PoolCore& core, uint32_t generation);
    static DWORD WINAPI workerEntry(void* ticket);
    static bool launchWorker(detail::PoolCore& core, uint32_t generation, SIZE_T stackSize);
    static bool stopCore(detail::PoolCore& core, int32_t mode, int32_t timeoutMs, bool pumpMessages);

    // 0 when the worker entry could not be prepared: the pool then never starts.
    detail::PoolCore* core_;
};

}  // namespace pool
