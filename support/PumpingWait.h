// Waiting and working while the calling thread's window messages keep being
// dispatched.
#pragma once

#include <cstdint>
#include <optional>

namespace support {

// Dispatches whatever is waiting in the calling thread's queue; a WM_QUIT at
// the head of the queue stays there.
void processPendingMessages();

// processPendingMessages, only when keyboard or mouse-button input is waiting.
void pumpIfInputPending();

// Waits `duration` × the unit's milliseconds (unit 0 ms, 1 s, 2 min, 3 h, any
// other value: that many ms), dispatching messages as they arrive. Both
// omitted: practically for ever. Always returns true.
bool pumpingWait(std::optional<int32_t> duration = std::nullopt, std::optional<int32_t> unit = std::nullopt);

// The due time pumpingWait arms its timer with, in 100 ns units (negative:
// relative to now).
int64_t pumpingWaitDueTime(std::optional<int32_t> duration, std::optional<int32_t> unit);

// Test seam: when set, pumpingWait takes its timer from here instead of
// creating one (a null or unusable handle shows what happens when the system
// cannot give or arm a timer). The wait closes the handle.
extern void* (*pumpingWaitTimerSource)();

}  // namespace support
