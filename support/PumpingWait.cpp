#include "support/PumpingWait.h"
#include "forms/Clock.h"

#include "forms/Handles.h"
#include "forms/MessageLoop.h"

#include <windows.h>

#include <cmath>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace support {

void* (*pumpingWaitTimerSource)() = nullptr;

namespace {

const DWORD kWakeMask = 0xFF;  // QS_KEY .. QS_HOTKEY: every kind of message

// A timer with about 1 ms resolution where the system offers one (Windows 10
// 1803 and later); the plain timer, which may end on the next 15.6 ms tick,
// elsewhere.
forms::UniqueHandle createTimer() {
    if (pumpingWaitTimerSource)
        return forms::UniqueHandle(static_cast<HANDLE>(pumpingWaitTimerSource()));
    using CreateEx = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
    static const auto createEx = reinterpret_cast<CreateEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateWaitableTimerExW")));
    if (createEx) {
        if (HANDLE timer = createEx(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS))
            return forms::UniqueHandle(timer);
    }
    return forms::UniqueHandle(CreateWaitableTimerA(nullptr, FALSE, nullptr));
}

constexpr auto nowMs = forms::clockNowMs;

// Without a usable timer: wait for messages until the requested time has
// passed by the performance counter, so the wait still ends.
void waitMeasured(double endMs) {
    for (;;) {
        double left = endMs - nowMs();
        if (left <= 0)
            return;
        DWORD ms = left > 0x7FFFFFF0 ? 0x7FFFFFF0 : static_cast<DWORD>(std::ceil(left));
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, kWakeMask) == WAIT_FAILED)
            Sleep(1);
        processPendingMessages();
    }
}

}  // namespace

void processPendingMessages() {
    while (forms::pumpOneMessage()) {
    }
}

void pumpIfInputPending() {
    if (GetInputState())
        processPendingMessages();
}

int64_t pumpingWaitDueTime(std::optional<int32_t> duration, std::optional<int32_t> unit) {
    double d, multiplier;
    int32_t u = unit.value_or(0);
    if (!duration && u == 0) {
        d = 18000000.0;
        multiplier = 18000000.0;
    } else {
        d = duration.value_or(0);
        switch (u) {
        case 0: multiplier = 1; break;
        case 1: multiplier = 1000; break;
        case 2: multiplier = 60000; break;
        case 3: multiplier = 3600000; break;
        default: multiplier = u; break;
        }
    }
    double due = d * multiplier * -10000.0;
    // Beyond the 64-bit range only with absurd units; clamp instead of overflowing.
    if (due <= -9.2e18)
        return INT64_MIN + 1;
    if (due >= 9.2e18)
        return INT64_MAX;
    return static_cast<int64_t>(due);  // truncates toward zero
}

bool pumpingWait(std::optional<int32_t> duration, std::optional<int32_t> unit) {
    int64_t due = pumpingWaitDueTime(duration, unit);
    double startMs = nowMs();
    // The end by the performance counter, used only if the timer fails; a
    // positive (absolute) due time always lies in the past here.
    double endMs = due < 0 ? startMs + static_cast<double>(-due) / 10000.0 : startMs;

    forms::UniqueHandle timer = createTimer();
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = due;
    if (!timer || !SetWaitableTimer(timer.get(), &dueTime, 0, nullptr, nullptr, FALSE)) {
        waitMeasured(endMs);
        return true;
    }
    HANDLE handle = timer.get();
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, kWakeMask);
        if (result == WAIT_OBJECT_0)
            break;
        if (result == WAIT_FAILED) {
            waitMeasured(endMs);
            break;
        }
        processPendingMessages();
    }
    return true;
}

}  // namespace support
