#include "pool/PoolCore.h"

#include "pool/PoolSeams.h"

namespace pool::detail {

void waitForNoPosting(PoolCore& core) {
    // Each post or stop holds it only for a few calls; stop may pump messages
    // meanwhile, so yield the processor rather than spin hot.
    for (int round = 0; InterlockedCompareExchange(&core.posting, 0, 0) != 0; ++round) {
        if (round < 50)
            SwitchToThread();
        else
            Sleep(1);
    }
}

PoolCore::PoolCore() { InterlockedIncrement(&PoolSeams::liveBlocks); }

PoolCore::~PoolCore() {
    // A worker that still looked at the block after this would see the mark.
    magic = kBlockFreed;
    InterlockedDecrement(&PoolSeams::liveBlocks);
}

void PoolCore::release() {
    if (InterlockedDecrement(&refs) != 0)
        return;
    // A post that began before the pool object let go may still be inside.
    waitForNoPosting(*this);
    delete this;
}

void PoolCore::checkAlive() const {
    if (magic != kBlockAlive)
        InterlockedIncrement(&PoolSeams::freedBlockSeen);
}

}  // namespace pool::detail

namespace pool::detail {

namespace {
uint64_t readMembers(PoolCore& core) {
    return static_cast<uint64_t>(InterlockedCompareExchange64(&core.members, 0, 0));
}
bool swapMembers(PoolCore& core, uint64_t from, uint64_t to) {
    return static_cast<uint64_t>(InterlockedCompareExchange64(&core.members, static_cast<LONG64>(to),
                                                              static_cast<LONG64>(from))) == from;
}
}  // namespace

bool joinStart(PoolCore& core, uint32_t generation) {
    for (;;) {
        uint64_t word = readMembers(core);
        if (membersGeneration(word) != generation || membersClosed(word))
            return false;
        if (swapMembers(core, word, word + 1))
            return true;
    }
}

bool leaveStart(PoolCore& core, uint32_t generation) {
    for (;;) {
        uint64_t word = readMembers(core);
        bool last = membersCount(word) == 1;
        uint64_t next = last ? membersWord(generation, true, 0) : word - 1;
        if (swapMembers(core, word, next))
            return last;
    }
}

void closePort(PoolCore& core) {
    waitForNoPosting(core);
    if (InterlockedExchangePointer(&core.port, nullptr))
        core.portOwner.reset();
}

HANDLE wakeEvent(PoolCore& core) {
    // Only start (while Starting) and the stop that won (while Stopping) come
    // here, never two at once.
    if (!core.wakeEvent) {
        forms::UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        if (event) {
            core.wakeEventOwner = std::move(event);
            InterlockedExchangePointer(&core.wakeEvent, core.wakeEventOwner.get());
        }
    }
    return core.wakeEvent;
}

}  // namespace pool::detail
