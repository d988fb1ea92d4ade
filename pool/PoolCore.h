// The pool's shared block: everything a worker thread touches. The pool object
// and every worker thread each hold one reference; the block is freed by
// whichever lets go last, so a pool object may be destroyed while its workers
// are still leaving.
#pragma once

#include "forms/Handles.h"

#include <windows.h>

#include <cstdint>

namespace pool::detail {

inline constexpr LONG kBlockAlive = 0x4C4F4F50;
inline constexpr LONG kBlockFreed = static_cast<LONG>(0xDEADDEAD);

// A start's members: workers of that start that have joined and not left. The
// word is (generation << 32) | closed bit | count, changed by compare-and-swap
// only, so a worker of an earlier start can never join a later one, and nobody
// joins a start once its last member has left (or it failed with none).
inline constexpr uint64_t kClosedBit = 0x80000000u;
inline constexpr uint64_t membersWord(uint32_t generation, bool closed, uint32_t count) {
    return (uint64_t{generation} << 32) | (closed ? kClosedBit : 0) | count;
}
inline uint32_t membersGeneration(uint64_t word) { return static_cast<uint32_t>(word >> 32); }
inline bool membersClosed(uint64_t word) { return (word & kClosedBit) != 0; }
inline uint32_t membersCount(uint64_t word) { return static_cast<uint32_t>(word & (kClosedBit - 1)); }

struct PoolCore {
    PoolCore();
    ~PoolCore();
    PoolCore(const PoolCore&) = delete;
    PoolCore& operator=(const PoolCore&) = delete;

    void addRef() { InterlockedIncrement(&refs); }
    // Frees the block when this was the last reference.
    void release();
    // Counts it when a worker finds the block already freed (never expected).
    void checkAlive() const;

    volatile LONG magic = kBlockAlive;
    volatile LONG refs = 1;

    volatile LONG state = 0;  // PoolState
    volatile LONG accepting = 0;
    volatile LONG liveWorkers = 0;
    volatile LONG busyWorkers = 0;
    volatile LONG queuedTasks = 0;
    volatile LONG createdWorkers = 0;  // threads the current start created
    // Posts and stops between their state test and their last use of the port;
    // the port is closed only once this is 0.
    volatile LONG posting = 0;
    volatile LONG destroyed = 0;  // the pool object has let go; a start in progress stops what it starts

    alignas(8) volatile LONG64 members = static_cast<LONG64>(membersWord(0, true, 0));
    uint32_t generation = 0;  // written only by start while Starting

    // Lock-free readers use the plain handles; the owners close them.
    HANDLE volatile port = nullptr;
    forms::UniqueHandle portOwner;
    // Kept for the block's whole life: workers signal it without any
    // synchronisation, so closing it earlier could signal a recycled handle.
    HANDLE volatile wakeEvent = nullptr;
    forms::UniqueHandle wakeEventOwner;
};

// Joins the start of `generation`; false when that start has ended (or a
// later one has begun): the worker must then leave without touching anything.
bool joinStart(PoolCore& core, uint32_t generation);
// Leaves it; true for the last member, which has closed the start and must
// tear it down.
bool leaveStart(PoolCore& core, uint32_t generation);
// Returns once no post or stop is using the port.
void waitForNoPosting(PoolCore& core);
// Closes the port once no post or stop can be using it any more.
void closePort(PoolCore& core);
// The wake event, created on first need; 0 if it cannot be created.
HANDLE wakeEvent(PoolCore& core);

// Holds a reference for the life of a scope.
class CoreRef {
public:
    explicit CoreRef(PoolCore* core) : core_(core) { core_->addRef(); }
    ~CoreRef() { core_->release(); }
    CoreRef(const CoreRef&) = delete;
    CoreRef& operator=(const CoreRef&) = delete;

private:
    PoolCore* core_;
};

}  // namespace pool::detail
