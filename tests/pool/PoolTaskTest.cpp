#include "PoolTestUtil.h"

#include "support_lib/TestUtil.h"

#include <climits>
#include <string>

using pool::PoolState;
using namespace pooltest;

using TaskTest = PoolTest;

namespace {
bool waitStopped(pool::WorkerPool& p) {
    return testutil::pumpUntil([&] { return p.state() == PoolState::Stopped; }, 5000);
}
void expectCountersZero(pool::WorkerPool& p, const std::string& name) {
    EXPECT_EQ(0, p.liveCount()) << name;
    EXPECT_EQ(0, p.busyCount()) << name;
    EXPECT_EQ(0, p.idleCount()) << name;
    EXPECT_EQ(0, p.queuedCount()) << name;
    EXPECT_TRUE(p.isIdle()) << name;
}
}  // namespace

TEST_F(TaskTest, ValuesReachTheRoutine) {
    ASSERT_TRUE(pool->start(1));  // one worker: tasks run in posting order
    EXPECT_TRUE(pool->post(Recorder::task, 7, -9));
    EXPECT_TRUE(pool->post(Recorder::task, INT32_MIN, INT32_MAX));
    EXPECT_TRUE(pool->post(Recorder::task, 5));
    EXPECT_TRUE(pool->post(Recorder::task));
    EXPECT_TRUE(pool->postPointer(reinterpret_cast<uintptr_t>(&Recorder::task), -1, 3));
    ASSERT_TRUE(testutil::pumpUntil([] { return Recorder::runs() == 5; }, 5000));
    const int32_t expected[][2] = {{7, -9}, {INT32_MIN, INT32_MAX}, {5, 0}, {0, 0}, {-1, 3}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i][0], Recorder::a(i)) << "task " << i;
        EXPECT_EQ(expected[i][1], Recorder::b(i)) << "task " << i;
    }
    EXPECT_TRUE(testutil::pumpUntil([&] { return pool->isIdle(); }, 5000));
    EXPECT_EQ(0, pool->queuedCount());
}

TEST_F(TaskTest, PostRefused) {
    EXPECT_FALSE(pool->post(Recorder::task, 1)) << "before start";
    EXPECT_EQ(0, pool->queuedCount()) << "before start";

    ASSERT_TRUE(pool->start(1));
    EXPECT_FALSE(pool->post(nullptr, 1)) << "null routine";
    EXPECT_FALSE(pool->postPointer(0, 1)) << "address 0";
    EXPECT_EQ(0, pool->queuedCount()) << "null routine";

    ASSERT_TRUE(pool->post(Gate::task));
    ASSERT_TRUE(testutil::pumpUntil([] { return Gate::started() == 1; }, 5000));
    ASSERT_TRUE(pool->post(Recorder::task, 2));
    EXPECT_EQ(1, pool->queuedCount());
    ASSERT_TRUE(pool->stop(3));
    EXPECT_FALSE(pool->post(Recorder::task, 3)) << "stopping";
    EXPECT_EQ(1, pool->queuedCount()) << "stopping";
    Gate::release();
    ASSERT_TRUE(waitStopped(*pool));
    EXPECT_EQ(1, Recorder::runs()) << "the task queued before the mode 3 stop";
    EXPECT_FALSE(pool->post(Recorder::task, 4)) << "stopped";
    EXPECT_EQ(0, pool->queuedCount()) << "stopped";
    Sleep(50);
    EXPECT_EQ(1, Recorder::runs()) << "a refused task ran";
}

TEST_F(TaskTest, IdleAndBusyWhileTasksRun) {
    ASSERT_TRUE(pool->start(4));
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(pool->post(Gate::task));
        ASSERT_TRUE(testutil::pumpUntil([&] { return Gate::started() == i; }, 5000)) << "task " << i;
        EXPECT_EQ(i, pool->busyCount()) << "task " << i;
        EXPECT_EQ(4 - i, pool->idleCount()) << "task " << i;
        EXPECT_FALSE(pool->isIdle()) << "task " << i;
    }
    ASSERT_TRUE(pool->post(Gate::task));
    ASSERT_TRUE(pool->post(Gate::task));
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->busyCount() == 4; }, 5000));
    EXPECT_EQ(0, pool->idleCount());
    EXPECT_EQ(1, pool->queuedCount());
    Gate::release();
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->isIdle(); }, 5000));
    EXPECT_EQ(5, Gate::finished());
    EXPECT_EQ(4, pool->idleCount());
    EXPECT_EQ(0, pool->queuedCount());
}

TEST_F(TaskTest, StopModes) {
    struct Case {
        int32_t mode;
        bool waits;
        bool queuedRun;
    } cases[] = {{0, true, false}, {1, true, true}, {2, false, false}, {3, false, true}, {7, true, false}, {-1, true, false}};
    for (const auto& c : cases) {
        Gate::reset();
        Recorder::reset();
        ASSERT_TRUE(pool->start(2)) << "mode " << c.mode;
        ASSERT_TRUE(pool->post(Gate::task)) << "mode " << c.mode;
        ASSERT_TRUE(pool->post(Gate::task)) << "mode " << c.mode;
        ASSERT_TRUE(testutil::pumpUntil([] { return Gate::started() == 2; }, 5000)) << "mode " << c.mode;
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(pool->post(Recorder::task, i)) << "mode " << c.mode;
        EXPECT_EQ(5, pool->queuedCount()) << "mode " << c.mode;

        // The running tasks end a while after the stop begins.
        PoolState seenWhileStopping = PoolState::Stopped;
        TestThread opener([&] {
            Sleep(150);
            seenWhileStopping = pool->state();
            Gate::release();
        });
        double began = nowMs();
        EXPECT_TRUE(pool->stop(c.mode, 5000)) << "mode " << c.mode;
        double took = nowMs() - began;
        if (c.waits) {
            EXPECT_GE(took, 100) << "mode " << c.mode << ": returned before the running tasks ended";
            EXPECT_EQ(PoolState::Stopped, pool->state()) << "mode " << c.mode;
        } else {
            EXPECT_LT(took, 100) << "mode " << c.mode << ": waited";
            EXPECT_EQ(PoolState::Stopping, pool->state()) << "mode " << c.mode;
        }
        ASSERT_TRUE(opener.join(5000));
        EXPECT_EQ(PoolState::Stopping, seenWhileStopping) << "mode " << c.mode;
        ASSERT_TRUE(waitStopped(*pool)) << "mode " << c.mode;
        EXPECT_EQ(2, Gate::finished()) << "mode " << c.mode << ": a running task was cut short";
        EXPECT_EQ(c.queuedRun ? 5 : 0, Recorder::runs()) << "mode " << c.mode;
        expectCountersZero(*pool, "mode " + std::to_string(c.mode));
    }
}

TEST_F(TaskTest, StopOnStoppedPool) {
    EXPECT_TRUE(pool->stop()) << "never started";
    ASSERT_TRUE(pool->start(1));
    ASSERT_TRUE(pool->stop());
    EXPECT_TRUE(pool->stop()) << "stopped";
    EXPECT_EQ(PoolState::Stopped, pool->state());
}

TEST_F(TaskTest, StopTimesOutWhileATaskRuns) {
    ASSERT_TRUE(pool->start(1));
    ASSERT_TRUE(pool->post(sleepTask, 1000));
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->busyCount() == 1; }, 5000));
    double began = nowMs();
    EXPECT_FALSE(pool->stop(0, 50));
    double took = nowMs() - began;
    EXPECT_GE(took, 45);
    EXPECT_LT(took, 800);
    EXPECT_EQ(PoolState::Stopping, pool->state());
    EXPECT_TRUE(testutil::pumpUntil([&] { return pool->state() == PoolState::Stopped; }, 5000));
    EXPECT_GE(nowMs() - began, 700) << "stopped before the task ended";
    expectCountersZero(*pool, "after the time-out");
}

TEST_F(TaskTest, TwoStopsAtOnce) {
    ASSERT_TRUE(pool->start(2));
    ASSERT_TRUE(pool->post(sleepTask, 300));
    ASSERT_TRUE(testutil::pumpUntil([&] { return pool->busyCount() == 1; }, 5000));
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool results[2] = {};
    double took[2] = {};
    {
        TestThread first([&] {
            WaitForSingleObject(go, 5000);
            double t = nowMs();
            results[0] = pool->stop(0, 5000);
            took[0] = nowMs() - t;
        });
        TestThread second([&] {
            WaitForSingleObject(go, 5000);
            double t = nowMs();
            results[1] = pool->stop(0, 5000);
            took[1] = nowMs() - t;
        });
        Sleep(20);
        SetEvent(go);
        EXPECT_TRUE(first.join(8000));
        EXPECT_TRUE(second.join(8000));
    }
    CloseHandle(go);
    EXPECT_NE(results[0], results[1]) << "exactly one stop wins";
    int loser = results[0] ? 1 : 0;
    EXPECT_LT(took[loser], 100) << "the refused stop waited";
    EXPECT_GE(took[1 - loser], 100) << "the winning stop did not wait for the task";
    EXPECT_EQ(PoolState::Stopped, pool->state());
}
