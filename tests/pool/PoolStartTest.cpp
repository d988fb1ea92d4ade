#include "PoolTestUtil.h"

#include "support_lib/TestUtil.h"
#include "forms/Handles.h"

#include <optional>
#include <vector>

using pool::PoolSeams;
using pool::PoolState;
using namespace pooltest;

namespace {

std::vector<SIZE_T> g_stackSizes;  // start runs on the test thread
LONG g_createCalls = 0;
HWND g_probeWindow = nullptr;

HANDLE WINAPI recordingCreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE entry, LPVOID param,
                                    DWORD flags, LPDWORD id) {
    g_stackSizes.push_back(stack);
    return CreateThread(sa, stack, entry, param, flags, id);
}

// Fails every call, leaving a message behind each time so the test can see
// when start processed its messages.
HANDLE WINAPI failingCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
    ++g_createCalls;
    if (g_probeWindow)
        PostMessageA(g_probeWindow, WM_APP, static_cast<WPARAM>(g_createCalls), 0);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// The attempt count seen whenever a probe message was dispatched.
std::vector<LONG> g_dispatchedAt;

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        g_dispatchedAt.push_back(g_createCalls);
        EXPECT_EQ(static_cast<WPARAM>(g_createCalls), wParam) << "a message waited past the next attempt";
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createProbeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = probeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PoolProbe";
    RegisterClassA(&wc);
    return CreateWindowA("PoolProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

int pendingProbeMessages() {
    MSG msg;
    int n = 0;
    while (PeekMessageA(&msg, g_probeWindow, WM_APP, WM_APP, PM_REMOVE))
        ++n;
    return n;
}

LONG g_delayEntryMs = 0;
void delayedEntry() { Sleep(static_cast<DWORD>(g_delayEntryMs)); }

}  // namespace

using StartTest = PoolTest;

TEST_F(StartTest, WorkerCounts) {
    struct Case {
        std::optional<int32_t> given;
        int32_t expected;
    } cases[] = {{std::nullopt, 5}, {0, 1}, {-3, 1}, {1, 1}, {3, 3}};
    PoolSeams::createThread = recordingCreateThread;
    for (const auto& c : cases) {
        const char* name = c.given ? "given" : "omitted";
        int32_t value = c.given.value_or(0);
        g_stackSizes.clear();
        ASSERT_TRUE(pool->start(c.given)) << name << " " << value;
        EXPECT_EQ(static_cast<size_t>(c.expected), g_stackSizes.size()) << name << " " << value;
        EXPECT_EQ(c.expected, pool->liveCount()) << name << " " << value;
        EXPECT_EQ(c.expected, pool->idleCount()) << name << " " << value;
        ASSERT_TRUE(pool->stop(0, 5000)) << name << " " << value;
    }
}

TEST_F(StartTest, StackSizes) {
    struct Case {
        std::optional<int32_t> given;
        SIZE_T expected;
    } cases[] = {{1, 8192},     {-100, 8192}, {8192, 8192}, {10000, 8192}, {12288, 12288},
                 {16383, 12288}, {65536, 65536}, {0, 0},     {std::nullopt, 0}};
    PoolSeams::createThread = recordingCreateThread;
    for (const auto& c : cases) {
        int32_t value = c.given.value_or(-1);
        g_stackSizes.clear();
        bool started = c.given ? pool->start(2, false, *c.given) : pool->start(2);
        ASSERT_TRUE(started) << "stack " << value;
        ASSERT_EQ(2u, g_stackSizes.size()) << "stack " << value;
        EXPECT_EQ(c.expected, g_stackSizes[0]) << "stack " << value;
        EXPECT_EQ(c.expected, g_stackSizes[1]) << "stack " << value;
        EXPECT_EQ(2, pool->liveCount()) << "stack " << value;
        ASSERT_TRUE(pool->stop(0, 5000)) << "stack " << value;
    }
}

TEST_F(StartTest, TwentyWorkersAllIdle) {
    ASSERT_TRUE(pool->start(20));
    EXPECT_EQ(PoolState::Running, pool->state());
    EXPECT_EQ(20, pool->liveCount());
    EXPECT_EQ(20, pool->idleCount());
    EXPECT_EQ(0, pool->busyCount());
    EXPECT_EQ(0, pool->queuedCount());
    EXPECT_TRUE(pool->isIdle());
}

TEST_F(StartTest, RefusedUnlessStopped) {
    // Running
    ASSERT_TRUE(pool->start(2));
    EXPECT_FALSE(pool->start(4)) << "running";
    EXPECT_EQ(2, pool->liveCount()) << "running";
    EXPECT_EQ(PoolState::Running, pool->state());

    // Stopping: a task holds the only stop back.
    ASSERT_TRUE(pool->post(Gate::task));
    ASSERT_TRUE(testutil::pumpUntil([] { return Gate::started() == 1; }, 5000));
    ASSERT_TRUE(pool->stop(2));
    EXPECT_EQ(PoolState::Stopping, pool->state());
    EXPECT_FALSE(pool->start(4)) << "stopping";
    EXPECT_FALSE(pool->stop(0)) << "stopping";
    EXPECT_EQ(PoolState::Stopping, pool->state());
    Gate::release();
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->state() == PoolState::Stopped; }, 5000));

    // Starting: the worker takes its time to come alive.
    g_delayEntryMs = 400;
    PoolSeams::workerEntered = delayedEntry;
    bool started = false;
    TestThread starter([&] { started = pool->start(1); });
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->state() == PoolState::Starting; }, 5000));
    EXPECT_FALSE(pool->start(4)) << "starting";
    EXPECT_FALSE(pool->stop(0)) << "starting";
    EXPECT_FALSE(pool->post(Recorder::task)) << "starting";
    ASSERT_TRUE(starter.join(5000));
    EXPECT_TRUE(started);
    EXPECT_EQ(PoolState::Running, pool->state());
    EXPECT_EQ(1, pool->liveCount());
}

TEST_F(StartTest, EveryThreadCreationFails) {
    struct Case {
        bool pump;
        std::vector<LONG> dispatchedAt;
        int left;
    } cases[] = {
        // A message after each attempt except the fifth failure.
        {true, {1, 2, 3, 4}, 1},
        {false, {}, 5},
    };
    g_probeWindow = createProbeWindow();
    ASSERT_NE(nullptr, g_probeWindow);
    PoolSeams::createThread = failingCreateThread;
    for (const auto& c : cases) {
        g_createCalls = 0;
        g_dispatchedAt.clear();
        const long handlesBefore = forms::liveHandles(forms::HandleKind::Kernel);
        EXPECT_FALSE(pool->start(20, c.pump)) << "pump " << c.pump;
        EXPECT_EQ(5, g_createCalls) << "pump " << c.pump;
        EXPECT_EQ(c.dispatchedAt, g_dispatchedAt) << "pump " << c.pump;
        EXPECT_EQ(c.left, pendingProbeMessages()) << "pump " << c.pump;
        EXPECT_EQ(PoolState::Stopped, pool->state()) << "pump " << c.pump;
        EXPECT_EQ(0, pool->liveCount()) << "pump " << c.pump;
        EXPECT_FALSE(pool->post(Recorder::task)) << "pump " << c.pump;
        // The port is closed; only the wake event, kept for the pool's life, may remain.
        EXPECT_LE(forms::liveHandles(forms::HandleKind::Kernel) - handlesBefore, 1) << "pump " << c.pump;
    }
    DestroyWindow(g_probeWindow);
    g_probeWindow = nullptr;

    // Creation works again: the same pool starts.
    PoolSeams::createThread = &CreateThread;
    EXPECT_TRUE(pool->start(2));
}

TEST_F(StartTest, NoWorkerEntryNeverStarts) {
    PoolSeams::failWorkerEntry = 1;
    pool::WorkerPool broken;
    PoolSeams::failWorkerEntry = 0;
    PoolSeams::createThread = failingCreateThread;
    g_createCalls = 0;
    EXPECT_FALSE(broken.start(3));
    EXPECT_EQ(0, g_createCalls) << "a thread was asked for";
    EXPECT_EQ(PoolState::Stopped, broken.state());
    EXPECT_FALSE(broken.post(Recorder::task));
    EXPECT_TRUE(broken.stop());
    EXPECT_EQ(0, broken.idleCount());
    broken.destroy();
}

TEST_F(StartTest, RestartsAfterStopped) {
    for (int round = 0; round < 3; ++round) {
        Recorder::reset();
        ASSERT_TRUE(pool->start(2)) << "round " << round;
        ASSERT_TRUE(pool->post(Recorder::task, round, 0)) << "round " << round;
        ASSERT_TRUE(testutil::pumpUntil([] { return Recorder::runs() == 1; }, 5000)) << "round " << round;
        EXPECT_EQ(round, Recorder::a(0));
        ASSERT_TRUE(pool->stop(1, 5000)) << "round " << round;
        EXPECT_EQ(PoolState::Stopped, pool->state()) << "round " << round;
    }
}
