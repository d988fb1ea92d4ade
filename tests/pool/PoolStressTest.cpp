// Many short start -> post -> stop cycles with posts from two threads and a
// random stop mode: no task runs twice or in the wrong cycle, and every stop
// ends in a clean Stopped pool.
#include "PoolTestUtil.h"

#include "support_lib/TestUtil.h"

#include <algorithm>
#include <random>
#include <string>

using pool::PoolState;
using namespace pooltest;

namespace {

constexpr int kCycles = 500;
constexpr int kPosters = 2;
constexpr int kMaxPosts = 24;

volatile LONG g_cycle = 0;
volatile LONG g_runs[kPosters * kMaxPosts];
volatile LONG g_wrongCycle = 0;

// a: the task's slot, b: its cycle. Runs 0-2 ms.
void stressTask(int32_t slot, int32_t cycle) {
    if (cycle != g_cycle)
        InterlockedIncrement(&g_wrongCycle);
    InterlockedIncrement(&g_runs[slot]);
    if (slot % 3)
        Sleep(static_cast<DWORD>(slot % 3));
}

// A thread that posts its share of each cycle when told to.
struct Poster {
    pool::WorkerPool* pool = nullptr;
    int index = 0;
    HANDLE go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    volatile LONG posts = 0;  // how many to post this cycle; -1 ends the thread
    volatile LONG halt = 0;
    bool accepted[kMaxPosts] = {};

    ~Poster() {
        CloseHandle(go);
        CloseHandle(done);
    }
    void run() {
        while (WaitForSingleObject(go, 20000) == WAIT_OBJECT_0 && posts >= 0) {
            for (int i = 0; i < kMaxPosts; ++i)
                accepted[i] = false;
            for (int i = 0; i < posts && !halt; ++i) {
                accepted[i] = pool->post(stressTask, index * kMaxPosts + i, g_cycle);
                if (!accepted[i])
                    break;  // the pool is stopping
            }
            SetEvent(done);
        }
    }
};

}  // namespace

using StressTest = PoolTest;

TEST_F(StressTest, StartPostStopCycles) {
    std::mt19937 random(20240611);
    Poster posters[kPosters];
    std::unique_ptr<TestThread> threads[kPosters];
    for (int p = 0; p < kPosters; ++p) {
        posters[p].pool = pool.get();
        posters[p].index = p;
        threads[p] = std::make_unique<TestThread>([&posters, p] { posters[p].run(); });
    }
    int modeCount[4] = {};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const int mode = static_cast<int>(random() % 4);
        const int workers = 2 + static_cast<int>(random() % 3);
        const std::string name = "cycle " + std::to_string(cycle) + " mode " + std::to_string(mode);
        ++modeCount[mode];
        for (auto& r : g_runs)
            r = 0;
        g_cycle = cycle;
        const double began = nowMs();

        ASSERT_TRUE(pool->start(workers)) << name;
        for (auto& p : posters) {
            p.posts = static_cast<LONG>(random() % (kMaxPosts + 1));
            p.halt = 0;
            SetEvent(p.go);
        }
        if (mode == 1) {
            // Every post made before the stop must run: let the posters finish first.
            for (auto& p : posters)
                ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p.done, 5000)) << name;
            ASSERT_TRUE(pool->stop(1, 5000)) << name;
        } else {
            Sleep(static_cast<DWORD>(random() % 4));  // stop while the posts go on
            ASSERT_TRUE(pool->stop(mode, 5000)) << name;
            for (auto& p : posters)
                ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p.done, 5000)) << name;
            if (mode >= 2) {
                ASSERT_TRUE(testutil::pumpUntil([&] { return pool->state() == PoolState::Stopped; }, 5000))
                    << name;
            }
        }

        ASSERT_EQ(PoolState::Stopped, pool->state()) << name;
        EXPECT_EQ(0, pool->liveCount()) << name;
        EXPECT_EQ(0, pool->busyCount()) << name;
        EXPECT_EQ(0, pool->queuedCount()) << name;
        EXPECT_TRUE(pool->isIdle()) << name;
        for (int p = 0; p < kPosters; ++p) {
            for (int i = 0; i < kMaxPosts; ++i) {
                LONG runs = g_runs[p * kMaxPosts + i];
                if (posters[p].accepted[i]) {
                    ASSERT_LE(runs, 1) << name << " task " << p << "/" << i << " ran twice";
                    if (mode == 1) {
                        ASSERT_EQ(1, runs) << name << " task " << p << "/" << i << " never ran";
                    }
                } else {
                    ASSERT_EQ(0, runs) << name << " refused task " << p << "/" << i << " ran";
                }
            }
        }
        ASSERT_EQ(0, g_wrongCycle) << name << ": a task ran in a later cycle";
        const double took = nowMs() - began;
        ASSERT_LT(took, 5000) << name << " took too long";
    }
    for (auto& p : posters) {
        p.posts = -1;
        SetEvent(p.go);
    }
    for (auto& t : threads)
        EXPECT_TRUE(t->join(5000));
    for (int m = 0; m < 4; ++m)
        EXPECT_GT(modeCount[m], 50) << "mode " << m << " too rarely tried";
}
