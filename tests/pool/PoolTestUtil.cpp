#include "PoolTestUtil.h"

#include "support_lib/TestUtil.h"

namespace pooltest {

namespace {
volatile LONG g_gateOpen = 0;
volatile LONG g_gateStarted = 0;
volatile LONG g_gateFinished = 0;

constexpr int kRecords = 64;
volatile LONG g_recorded = 0;
int32_t g_recordA[kRecords];
int32_t g_recordB[kRecords];
}  // namespace

void Gate::reset() {
    g_gateOpen = 0;
    g_gateStarted = 0;
    g_gateFinished = 0;
}
void Gate::release() { InterlockedExchange(&g_gateOpen, 1); }
LONG Gate::started() { return g_gateStarted; }
LONG Gate::finished() { return g_gateFinished; }
void Gate::task(int32_t, int32_t) {
    InterlockedIncrement(&g_gateStarted);
    for (int i = 0; i < 10000 && !g_gateOpen; ++i)
        Sleep(1);
    InterlockedIncrement(&g_gateFinished);
}

void Recorder::reset() { g_recorded = 0; }
void Recorder::task(int32_t a, int32_t b) {
    LONG i = InterlockedIncrement(&g_recorded) - 1;
    if (i < kRecords) {
        g_recordA[i] = a;
        g_recordB[i] = b;
    }
}
LONG Recorder::runs() { return g_recorded; }
int32_t Recorder::a(int i) { return g_recordA[i]; }
int32_t Recorder::b(int i) { return g_recordB[i]; }

void sleepTask(int32_t ms, int32_t) { Sleep(static_cast<DWORD>(ms)); }

TestThread::TestThread(std::function<void()> body)
    : body_(std::move(body)), thread_(CreateThread(nullptr, 0, &TestThread::entry, this, 0, nullptr)) {}

TestThread::~TestThread() {
    if (thread_) {
        EXPECT_TRUE(join(10000)) << "test thread did not end";
    }
}

bool TestThread::join(DWORD ms) {
    if (!thread_)
        return true;
    if (WaitForSingleObject(thread_, ms) != WAIT_OBJECT_0)
        return false;
    CloseHandle(thread_);
    thread_ = nullptr;
    return true;
}

DWORD WINAPI TestThread::entry(void* self) {
    static_cast<TestThread*>(self)->body_();
    return 0;
}

double nowMs() { return testutil::nowMs(); }

bool waitForBlocks(LONG baseline, DWORD ms) {
    return testutil::pumpUntil([&] { return pool::PoolSeams::liveBlocks <= baseline; }, ms);
}

void PoolTest::SetUp() {
    pool::PoolSeams::reset();
    Gate::reset();
    Recorder::reset();
    blocksBefore = pool::PoolSeams::liveBlocks;
    pool = std::make_unique<pool::WorkerPool>();
}

void PoolTest::TearDown() {
    Gate::release();
    EXPECT_TRUE(testutil::pumpUntil([&] { return pool->stop(0, 5000) && pool->state() == pool::PoolState::Stopped; },
                                    8000))
        << "the pool did not stop";
    pool.reset();
    EXPECT_TRUE(waitForBlocks(blocksBefore, 8000)) << "a worker kept the shared block alive";
    EXPECT_EQ(0, pool::PoolSeams::freedBlockSeen) << "a worker touched a freed block";
    pool::PoolSeams::reset();
}

}  // namespace pooltest
