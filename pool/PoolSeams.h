// Hooks through which tests reach into the pool's dealings with the system:
// thread creation, the tick counter and the moment a worker comes alive.
// Always compiled; each costs one pointer read where it is used.
#pragma once

#include <windows.h>

namespace pool {

struct PoolSeams {
    using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                           LPDWORD);
    using TickCountFn = DWORD(WINAPI*)();
    using WorkerEnteredFn = void (*)();

    // Creates every worker thread (default: CreateThread).
    static CreateThreadFn createThread;
    // The millisecond counter the waits of start and stop measure with (default: GetTickCount).
    static TickCountFn tickCount;
    // Called on each new worker thread before it joins its start (default: none);
    // a test slows workers down here.
    static WorkerEnteredFn workerEntered;
    // Nonzero: pools constructed from now on cannot prepare their worker entry.
    static volatile LONG failWorkerEntry;

    // Shared pool blocks not yet freed, process-wide.
    static volatile LONG liveBlocks;
    // Times a worker found its shared block already freed. Must stay 0.
    static volatile LONG freedBlockSeen;

    // Puts the hooks back to their defaults (the two counts are left alone).
    static void reset();
};

}  // namespace pool
