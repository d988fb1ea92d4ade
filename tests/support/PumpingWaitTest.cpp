// Waits that keep the thread's windows answering: their lengths, the due-time
// rule, the messages dispatched meanwhile, and a wait that ends even without
// a usable timer.
#include "support/PumpingWait.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <thread>

namespace {

using std::nullopt;

TEST(PumpingWait, DueTimeFollowsTheUnitTable) {
    struct Case {
        std::optional<int32_t> duration, unit;
        int64_t due;
    } cases[] = {
        {100, nullopt, -1000000},
        {2, 1, -20000000},
        {5, 7, -350000},
        {1, 2, -600000000},
        {1, 3, -36000000000LL},
        {0, nullopt, 0},
        {-5, nullopt, 50000},        // positive: an absolute time in 1601, long past
        {nullopt, 1, 0},             // omitted duration with a unit counts as 0
        {nullopt, nullopt, -3240000000000000000LL},  // 18000000 x 18000000 ms
        {nullopt, 0, -3240000000000000000LL},
        {3, -2, 60000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.due, support::pumpingWaitDueTime(c.duration, c.unit))
            << "duration " << (c.duration ? std::to_string(*c.duration) : "omitted") << ", unit "
            << (c.unit ? std::to_string(*c.unit) : "omitted");
}

TEST(PumpingWait, LastsTheRequestedTime) {
    struct Case {
        std::optional<int32_t> duration, unit;
        double atLeast, atMost;  // milliseconds, wide margins
    } cases[] = {
        {100, nullopt, 90, 400},
        {2, 1, 1950, 2600},
        {5, 7, 30, 300},
        {0, nullopt, 0, 60},
        {-20, nullopt, 0, 60},
        {nullopt, 1, 0, 60},
    };
    for (const auto& c : cases) {
        double start = testutil::nowMs();
        EXPECT_TRUE(support::pumpingWait(c.duration, c.unit));
        double elapsed = testutil::nowMs() - start;
        std::string name = "duration " + (c.duration ? std::to_string(*c.duration) : std::string("omitted")) +
                           ", unit " + (c.unit ? std::to_string(*c.unit) : std::string("omitted"));
        EXPECT_GE(elapsed, c.atLeast) << name;
        EXPECT_LE(elapsed, c.atMost) << name;
    }
}

struct Receiver {
    HWND window = nullptr;
    static inline double dispatchedAt = 0;
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_APP + 1)
            dispatchedAt = testutil::nowMs();
        return DefWindowProcA(h, m, w, l);
    }
    Receiver() {
        static ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "PumpingWaitReceiver";
            return RegisterClassA(&wc);
        }();
        (void)atom;
        window = CreateWindowA("PumpingWaitReceiver", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        dispatchedAt = 0;
    }
    ~Receiver() { DestroyWindow(window); }
};

TEST(PumpingWait, DispatchesMessagesWhileItWaits) {
    Receiver receiver;
    ASSERT_TRUE(receiver.window);
    HWND target = receiver.window;
    double start = testutil::nowMs();
    std::thread poster([target] {
        Sleep(40);
        PostMessageA(target, WM_APP + 1, 0, 0);
    });
    support::pumpingWait(300);
    double end = testutil::nowMs();
    poster.join();
    ASSERT_GT(Receiver::dispatchedAt, 0) << "the posted message was not dispatched during the wait";
    EXPECT_LT(Receiver::dispatchedAt - start, 250) << "dispatched late";
    EXPECT_GE(end - start, 280) << "the message ended the wait early";
}

TEST(PumpingWait, EndsWithoutAUsableTimer) {
    struct Case {
        const char* name;
        void* (*source)();
    } cases[] = {
        {"no timer", [] { return static_cast<void*>(nullptr); }},
        {"a handle that cannot be armed", [] { return static_cast<void*>(CreateEventA(nullptr, FALSE, FALSE, nullptr)); }},
    };
    for (const auto& c : cases) {
        support::pumpingWaitTimerSource = c.source;
        Receiver receiver;
        PostMessageA(receiver.window, WM_APP + 1, 0, 0);
        double start = testutil::nowMs();
        support::pumpingWait(100);
        double elapsed = testutil::nowMs() - start;
        support::pumpingWaitTimerSource = nullptr;
        EXPECT_GE(elapsed, 95) << c.name;
        EXPECT_LE(elapsed, 400) << c.name;
        EXPECT_GT(Receiver::dispatchedAt, 0) << c.name << ": messages were not dispatched";
    }
}

TEST(ProcessPendingMessages, LeavesQuitInTheQueue) {
    Receiver receiver;
    PostMessageA(receiver.window, WM_APP + 1, 0, 0);
    PostQuitMessage(7);
    support::processPendingMessages();
    EXPECT_GT(Receiver::dispatchedAt, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
}

TEST(PumpingWait, EndsOnTimeWithQuitPending) {
    PostQuitMessage(3);
    double start = testutil::nowMs();
    support::pumpingWait(50);
    double elapsed = testutil::nowMs() - start;
    EXPECT_GE(elapsed, 45);
    EXPECT_LE(elapsed, 300);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(PumpIfInputPending, DispatchesNothingWithoutInput) {
    Receiver receiver;
    PostMessageA(receiver.window, WM_APP + 1, 0, 0);
    support::pumpIfInputPending();
    EXPECT_EQ(0, Receiver::dispatchedAt) << "a posted message was dispatched without input waiting";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, receiver.window, WM_APP + 1, WM_APP + 1, PM_REMOVE));
}

}  // namespace
