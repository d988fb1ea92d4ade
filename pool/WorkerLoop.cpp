// The worker threads: how they are launched, what they run, and how the last
// one out tears its start down.
#include "pool/PoolCore.h"
#include "pool/PoolSeams.h"
#include "pool/WorkerPool.h"

#include <new>

namespace pool {

using detail::PoolCore;

namespace {

// A worker's start parameter: the shared state (one reference, owned by the
// thread) and the start that created it.
struct WorkerTicket {
    PoolCore* core;
    uint32_t generation;
};

bool isQuitPacket(LPOVERLAPPED overlapped) { return overlapped == reinterpret_cast<LPOVERLAPPED>(INT_PTR{-2}); }

// The last member out: nobody else can touch this start any more, and no new
// start can begin before the state reads Stopped.
void tearDown(PoolCore& core) {
    detail::closePort(core);  // the discarded tasks go with it
    core.accepting = 0;
    core.liveWorkers = 0;
    core.busyWorkers = 0;
    core.queuedTasks = 0;
    InterlockedExchange(&core.state, static_cast<LONG>(PoolState::Stopped));
    // The event lives as long as the block, so it can be signalled after the
    // state has changed and wake a waiting stop straight into Stopped.
    if (HANDLE wake = core.wakeEvent)
        SetEvent(wake);
}

}  // namespace

bool WorkerPool::launchWorker(PoolCore& core, uint32_t generation, SIZE_T stackSize) {
    auto* ticket = new (std::nothrow) WorkerTicket{&core, generation};
    if (!ticket)
        return false;
    core.addRef();
    DWORD threadId = 0;
    forms::UniqueHandle thread(PoolSeams::createThread(nullptr, stackSize, &WorkerPool::workerEntry, ticket, 0,
                                                       &threadId));
    if (!thread) {
        delete ticket;
        core.release();
        return false;
    }
    return true;  // the handle is closed here; the counters are the only record of the thread
}

DWORD WINAPI WorkerPool::workerEntry(void* param) {
    auto* ticket = static_cast<WorkerTicket*>(param);
    PoolCore& core = *ticket->core;
    const uint32_t generation = ticket->generation;
    delete ticket;
    if (PoolSeams::workerEntered)
        PoolSeams::workerEntered();
    const DWORD exitCode = workerLoop(core, generation);
    core.release();  // the thread's last touch of the pool
    return exitCode;
}

uint32_t WorkerPool::workerLoop(PoolCore& core, uint32_t generation) {
    core.checkAlive();
    if (!detail::joinStart(core, generation))
        return 0;  // came alive after its start had ended: touch nothing
    InterlockedIncrement(&core.liveWorkers);
    if (HANDLE wake = core.wakeEvent)
        SetEvent(wake);

    HANDLE port = core.port;  // stays open while this worker is a member
    for (;;) {
        DWORD a = 0;
        ULONG_PTR b = 0;
        LPOVERLAPPED overlapped = nullptr;
        BOOL ok = GetQueuedCompletionStatus(port, &a, &b, &overlapped, INFINITE);
        if (!ok || isQuitPacket(overlapped) || core.accepting != 1)
            break;
        InterlockedIncrement(&core.busyWorkers);
        InterlockedDecrement(&core.queuedTasks);
        reinterpret_cast<TaskRoutine>(overlapped)(static_cast<int32_t>(a), static_cast<int32_t>(static_cast<uint32_t>(b)));
        InterlockedDecrement(&core.busyWorkers);
    }
    core.checkAlive();
    InterlockedDecrement(&core.liveWorkers);
    if (detail::leaveStart(core, generation))
        tearDown(core);
    return 0;
}

}  // namespace pool
