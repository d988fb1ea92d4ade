// Shared pieces of the pool tests: a fixture that checks every test leaves
// no worker and no shared block behind, tasks that can be held busy, and
// threads joined with a bound.
#pragma once

#include "pool/PoolSeams.h"
#include "pool/WorkerPool.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

namespace pooltest {

// A task held running until release() (or 10 s, so a fault cannot hang the run).
class Gate {
public:
    static void reset();
    static void release();
    static LONG started();
    static LONG finished();
    static void task(int32_t a, int32_t b);
};

// A task that records (a, b) in order of running, and counts its runs.
struct Recorder {
    static void reset();
    static void task(int32_t a, int32_t b);
    static LONG runs();
    static int32_t a(int i);
    static int32_t b(int i);
};

// A task that sleeps `a` milliseconds.
void sleepTask(int32_t ms, int32_t);

// A thread running `body`; join() waits at most `ms`.
class TestThread {
public:
    explicit TestThread(std::function<void()> body);
    ~TestThread();
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;
    bool join(DWORD ms);

private:
    static DWORD WINAPI entry(void* self);
    std::function<void()> body_;
    HANDLE thread_;
};

// Milliseconds from the performance counter.
double nowMs();

// Waits (pumping) until every shared pool block created after `baseline`
// was read is freed, that is every worker thread has let go of it.
bool waitForBlocks(LONG baseline, DWORD ms);

// Each test gets a pool; at the end it must stop, and once destroyed every
// worker must leave and free the shared block. The seams are put back.
class PoolTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<pool::WorkerPool> pool;
    LONG blocksBefore = 0;
};

}  // namespace pooltest
