// Destroying a pool whose workers are busy or still being created, workers
// that come alive late, and waits measured across the tick counter's wrap.
#include "PoolTestUtil.h"

#include "support_lib/TestUtil.h"


using pool::PoolSeams;
using pool::PoolState;
using namespace pooltest;

namespace {

// Tasks of round `a` spin until that round is released (at most 5 s).
constexpr int kRounds = 200;
volatile LONG g_roundReleased[kRounds];
void roundTask(int32_t round, int32_t) {
    for (int i = 0; i < 5000 && !g_roundReleased[round]; ++i)
        Sleep(1);
}

// Workers come alive at once while prompt ones are left, the others after g_lateMs.
volatile LONG g_promptLeft = 0;
volatile LONG g_lateMs = 0;
volatile LONG g_entered = 0;
volatile LONG g_lateAwake = 0;
void paceEntry() {
    InterlockedIncrement(&g_entered);
    if (InterlockedDecrement(&g_promptLeft) < 0) {
        Sleep(static_cast<DWORD>(g_lateMs));
        InterlockedIncrement(&g_lateAwake);
    }
}

// A tick counter that wraps 256 ms after the test sets it up.
DWORD g_tickBase = 0;
DWORD WINAPI wrappingTick() { return 0xFFFFFF00u + (GetTickCount() - g_tickBase); }

}  // namespace

using LifetimeTest = PoolTest;

TEST_F(LifetimeTest, DestroyWithBusyWorkers) {
    const LONG blocks = PoolSeams::liveBlocks;

    for (int round = 0; round < kRounds; ++round) {
        g_roundReleased[round] = 0;
        auto p = std::make_unique<pool::WorkerPool>();
        ASSERT_TRUE(p->start(20)) << "round " << round;
        for (int i = 0; i < 25; ++i)
            ASSERT_TRUE(p->post(roundTask, round)) << "round " << round;
        ASSERT_TRUE(testutil::pumpUntil([&] { return p->busyCount() == 20; }, 5000)) << "round " << round;
        // The program's exit: destroy, then free the object at once.
        double destroyBegan = nowMs();
        p->destroy();
        p.reset();
        EXPECT_LT(nowMs() - destroyBegan, 100) << "round " << round << ": destroy waited";
        // Let the previous round's workers go while this round's pool is
        // already gone and the next one starts.
        if (round > 0)
            InterlockedExchange(&g_roundReleased[round - 1], 1);
    }
    InterlockedExchange(&g_roundReleased[kRounds - 1], 1);
    EXPECT_TRUE(waitForBlocks(blocks, 10000)) << "workers kept " << PoolSeams::liveBlocks - blocks
                                                   << " shared blocks alive";
    EXPECT_EQ(0, PoolSeams::freedBlockSeen) << "a worker touched a freed block";
}

TEST_F(LifetimeTest, DestroyWhileStartCreatesThreads) {
    g_promptLeft = 0;
    g_lateMs = 30;
    g_entered = 0;
    PoolSeams::workerEntered = paceEntry;
    const LONG blocks = PoolSeams::liveBlocks;
    auto p = std::make_unique<pool::WorkerPool>();
    bool started = false;
    TestThread starter([&] { started = p->start(10); });
    ASSERT_TRUE(testutil::pumpUntil([&] { return p->state() == PoolState::Starting; }, 5000));
    p->destroy();
    EXPECT_EQ(PoolState::Stopped, p->state()) << "a destroyed pool reads Stopped";
    pool::WorkerPool* raw = p.release();
    delete raw;  // while start goes on creating threads
    ASSERT_TRUE(starter.join(8000));
    EXPECT_TRUE(started);
    // The start saw the destroy and sent its workers away: every one leaves.
    EXPECT_TRUE(waitForBlocks(blocks, 8000));
    EXPECT_EQ(10, g_entered);
    EXPECT_EQ(0, PoolSeams::freedBlockSeen);
}

// A worker slow to come alive joins a pool that is stopping and still leaves.
TEST_F(LifetimeTest, LateWorkerJoinsAStoppingPool) {
    g_promptLeft = 1;
    g_lateMs = 1500;
    g_lateAwake = 0;
    PoolSeams::workerEntered = paceEntry;
    ASSERT_TRUE(pool->start(3));  // gives up waiting after 1030 ms with one worker
    EXPECT_EQ(1, pool->liveCount());
    ASSERT_TRUE(pool->post(Gate::task));
    ASSERT_TRUE(testutil::pumpUntil([] { return Gate::started() == 1; }, 5000));
    PoolState whenLateCame = PoolState::Stopped;
    TestThread opener([&] {
        // The running task keeps the pool Stopping, its start open, until both
        // late workers have joined; each must still find a quit packet.
        for (int i = 0; i < 3000 && g_lateAwake < 2; ++i)
            Sleep(1);
        whenLateCame = pool->state();
        Sleep(50);
        Gate::release();
    });
    EXPECT_TRUE(pool->stop(0, 8000)) << "a late worker found no quit packet";
    ASSERT_TRUE(opener.join(8000));
    EXPECT_EQ(2, g_lateAwake) << "the late workers never came";
    EXPECT_EQ(PoolState::Stopping, whenLateCame);
    EXPECT_EQ(PoolState::Stopped, pool->state());
    EXPECT_EQ(0, pool->liveCount());
}

// Workers of an earlier start that come alive after it has ended (stopped, or
// failed with nobody alive) must leave the pool started again meanwhile alone.
TEST_F(LifetimeTest, LateWorkerOfAnEndedStart) {
    struct Case {
        const char* name;
        LONG prompt;
        int32_t workers;
        bool startResult;
    } cases[] = {{"stopped start", 1, 3, true}, {"failed start", 0, 2, false}};
    PoolSeams::workerEntered = paceEntry;
    for (const auto& c : cases) {
        Recorder::reset();
        g_promptLeft = c.prompt;
        g_lateMs = 1600;
        g_entered = 0;
        double began = nowMs();
        EXPECT_EQ(c.startResult, pool->start(c.workers)) << c.name;
        if (c.startResult) {
            ASSERT_TRUE(pool->stop(0, 5000)) << c.name;
        }
        ASSERT_EQ(PoolState::Stopped, pool->state()) << c.name;

        g_promptLeft = 1000;  // the new workers come at once
        ASSERT_TRUE(pool->start(2)) << c.name;
        EXPECT_LT(nowMs() - began, 1500) << c.name << ": too slow to see the late workers";
        // Until the late workers have come and gone.
        ASSERT_TRUE(testutil::pumpUntil([&] { return g_entered == c.workers + 2; }, 5000)) << c.name;
        testutil::pumpFor(100);
        EXPECT_EQ(PoolState::Running, pool->state()) << c.name;
        EXPECT_EQ(2, pool->liveCount()) << c.name;
        ASSERT_TRUE(pool->post(Recorder::task, 1)) << c.name;
        EXPECT_TRUE(testutil::pumpUntil([] { return Recorder::runs() == 1; }, 5000)) << c.name;
        ASSERT_TRUE(pool->stop(0, 5000)) << c.name;
        EXPECT_EQ(0, pool->liveCount()) << c.name;
    }
}

TEST_F(LifetimeTest, WaitsEndAcrossTheTickWrap) {
    g_tickBase = GetTickCount();
    PoolSeams::tickCount = wrappingTick;

    // A timed stop: the limit lapses after the counter has wrapped.
    ASSERT_TRUE(pool->start(1));
    ASSERT_TRUE(pool->post(Gate::task));
    ASSERT_TRUE(testutil::pumpUntil([] { return Gate::started() == 1; }, 5000));
    g_tickBase = GetTickCount();
    double began = nowMs();
    EXPECT_FALSE(pool->stop(0, 500));
    double took = nowMs() - began;
    EXPECT_GE(took, 450) << "the stop gave up early";
    EXPECT_LT(took, 2000) << "the stop waited too long";
    Gate::release();
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->state() == PoolState::Stopped; }, 5000));

    // The start's wait for a worker that never comes in time (limit 1010 ms).
    g_promptLeft = 0;
    g_lateMs = 2500;
    g_entered = 0;
    PoolSeams::workerEntered = paceEntry;
    g_tickBase = GetTickCount();
    began = nowMs();
    EXPECT_FALSE(pool->start(1));
    took = nowMs() - began;
    EXPECT_GE(took, 950) << "the start gave up early";
    EXPECT_LT(took, 2400) << "the start waited too long";
    EXPECT_EQ(PoolState::Stopped, pool->state());
}
