// Tasks per second through WorkerPool against a bare completion port, the
// system thread pool and a mutex + condition-variable queue, each feeding the
// same number of threads; and the post-to-start latency of one task in flight.
#include "pool/WorkerPool.h"
#include "forms/Clock.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr auto nowMs = forms::clockNowMs;

// The peers all run tasks of the pool's kind: a routine and two 32-bit values.
class Runner {
public:
    virtual ~Runner() = default;
    virtual const char* name() const = 0;
    virtual void start(int threads) = 0;
    virtual bool post(pool::TaskRoutine routine, int32_t a) = 0;
    virtual void stop() = 0;
};

class PoolRunner : public Runner {
public:
    const char* name() const override { return "WorkerPool"; }
    void start(int threads) override { pool_.start(threads); }
    bool post(pool::TaskRoutine routine, int32_t a) override { return pool_.post(routine, a); }
    void stop() override { pool_.stop(0, 10000); }

private:
    pool::WorkerPool pool_;
};

// A completion port and its threads with nothing else: post -> take -> call.
class BarePortRunner : public Runner {
public:
    const char* name() const override { return "bare port"; }
    void start(int threads) override {
        port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
        for (int i = 0; i < threads; ++i)
            threads_.push_back(CreateThread(nullptr, 0, &BarePortRunner::loop, port_, 0, nullptr));
    }
    bool post(pool::TaskRoutine routine, int32_t a) override {
        return PostQueuedCompletionStatus(port_, static_cast<uint32_t>(a), 0, reinterpret_cast<LPOVERLAPPED>(routine));
    }
    void stop() override {
        for (size_t i = 0; i < threads_.size(); ++i)
            PostQueuedCompletionStatus(port_, 0, 0, reinterpret_cast<LPOVERLAPPED>(INT_PTR{-2}));
        WaitForMultipleObjects(static_cast<DWORD>(threads_.size()), threads_.data(), TRUE, 10000);
        for (HANDLE t : threads_)
            CloseHandle(t);
        threads_.clear();
        CloseHandle(port_);
    }

private:
    static DWORD WINAPI loop(void* port) {
        for (;;) {
            DWORD a;
            ULONG_PTR b;
            LPOVERLAPPED routine;
            if (!GetQueuedCompletionStatus(port, &a, &b, &routine, INFINITE) ||
                routine == reinterpret_cast<LPOVERLAPPED>(INT_PTR{-2}))
                return 0;
            reinterpret_cast<pool::TaskRoutine>(routine)(static_cast<int32_t>(a), static_cast<int32_t>(b));
        }
    }
    HANDLE port_ = nullptr;
    std::vector<HANDLE> threads_;
};

// A private system thread pool of exactly `threads` threads, one callback per task.
class SystemPoolRunner : public Runner {
public:
    const char* name() const override { return "system pool"; }
    void start(int threads) override {
        pool_ = CreateThreadpool(nullptr);
        SetThreadpoolThreadMaximum(pool_, static_cast<DWORD>(threads));
        SetThreadpoolThreadMinimum(pool_, static_cast<DWORD>(threads));
        InitializeThreadpoolEnvironment(&env_);
        SetThreadpoolCallbackPool(&env_, pool_);
    }
    bool post(pool::TaskRoutine routine, int32_t a) override {
        routine_ = routine;
        return TrySubmitThreadpoolCallback(&SystemPoolRunner::callback,
                                           reinterpret_cast<void*>(static_cast<intptr_t>(a)), &env_);
    }
    void stop() override {
        DestroyThreadpoolEnvironment(&env_);
        CloseThreadpool(pool_);
    }

private:
    static void CALLBACK callback(PTP_CALLBACK_INSTANCE, void* a) {
        routine_(static_cast<int32_t>(reinterpret_cast<intptr_t>(a)), 0);
    }
    static inline pool::TaskRoutine routine_ = nullptr;
    PTP_POOL pool_ = nullptr;
    TP_CALLBACK_ENVIRON env_{};
};

// The textbook queue: a deque under a mutex, threads woken by a condition variable.
class CondVarRunner : public Runner {
public:
    const char* name() const override { return "mutex+condvar"; }
    void start(int threads) override {
        quit_ = false;
        for (int i = 0; i < threads; ++i)
            threads_.emplace_back([this] { loop(); });
    }
    bool post(pool::TaskRoutine routine, int32_t a) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back({routine, a});
        }
        ready_.notify_one();
        return true;
    }
    void stop() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        ready_.notify_all();
        for (auto& t : threads_)
            t.join();
        threads_.clear();
    }

private:
    struct Task {
        pool::TaskRoutine routine;
        int32_t a;
    };
    void loop() {
        for (;;) {
            Task task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return quit_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                task = queue_.front();
                queue_.pop_front();
            }
            task.routine(task.a, 0);
        }
    }
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Task> queue_;
    bool quit_ = false;
    std::vector<std::thread> threads_;
};

// Throughput: the empty task only counts itself.
volatile LONG g_done = 0;
LONG g_target = 0;
HANDLE g_allDone = nullptr;
void emptyTask(int32_t, int32_t) {
    if (InterlockedIncrement(&g_done) == g_target)
        SetEvent(g_allDone);
}

// Latency: the task notes how long it waited and posts itself again.
Runner* g_latencyRunner = nullptr;
double g_postedAt = 0;
std::vector<double> g_latencies;
size_t g_latencyWanted = 0;
void relayTask(int32_t, int32_t) {
    double now = nowMs();
    g_latencies.push_back(now - g_postedAt);
    if (g_latencies.size() < g_latencyWanted) {
        g_postedAt = nowMs();
        g_latencyRunner->post(relayTask, 0);
    } else {
        SetEvent(g_allDone);
    }
}

struct Figures {
    double median, min, max;
};
Figures summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

double tasksPerSecond(Runner& runner, int threads, int tasks) {
    runner.start(threads);
    g_done = 0;
    g_target = tasks;
    ResetEvent(g_allDone);
    double began = nowMs();
    for (int i = 0; i < tasks; ++i)
        runner.post(emptyTask, i);
    bool finished = WaitForSingleObject(g_allDone, 60000) == WAIT_OBJECT_0;
    double took = nowMs() - began;
    runner.stop();
    return finished ? tasks * 1000.0 / took : 0;
}

double medianLatencyUs(Runner& runner, size_t samples) {
    runner.start(1);
    g_latencyRunner = &runner;
    g_latencies.clear();
    g_latencies.reserve(samples);
    g_latencyWanted = samples;
    ResetEvent(g_allDone);
    g_postedAt = nowMs();
    runner.post(relayTask, 0);
    WaitForSingleObject(g_allDone, 60000);
    runner.stop();
    return g_latencies.empty() ? 0 : summarise(g_latencies).median * 1000.0;
}

}  // namespace

int main() {
    g_allDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    constexpr int kTasks = 10000;
    constexpr int kRepeats = 7;
    PoolRunner poolRunner;
    BarePortRunner bareRunner;
    SystemPoolRunner systemRunner;
    CondVarRunner condVarRunner;
    Runner* runners[] = {&poolRunner, &bareRunner, &systemRunner, &condVarRunner};

    std::printf("Tasks per second, %d empty tasks posted from one thread, median of %d (min - max)\n", kTasks,
                kRepeats);
    for (int threads : {1, 2, 20}) {
        std::printf("\n%d worker thread%s\n", threads, threads == 1 ? "" : "s");
        double medians[4] = {};
        std::vector<double> runs[4];
        for (int r = 0; r < kRepeats; ++r) {
            for (int i = 0; i < 4; ++i)  // interleaved, so drifts of the machine hit every peer alike
                runs[i].push_back(tasksPerSecond(*runners[i], threads, kTasks));
        }
        for (int i = 0; i < 4; ++i) {
            Figures f = summarise(runs[i]);
            medians[i] = f.median;
            std::printf("  %-14s %10.0f  (%.0f - %.0f)\n", runners[i]->name(), f.median, f.min, f.max);
        }
        std::printf("  ratios: pool / bare port %.2f, pool / system pool %.2f, pool / mutex+condvar %.2f\n",
                    medians[0] / medians[1], medians[0] / medians[2], medians[0] / medians[3]);
    }

    std::printf("\nPost-to-start latency, one task in flight re-posting itself, 1 worker, median of 2000\n");
    double latency[4];
    for (int i = 0; i < 4; ++i) {
        latency[i] = medianLatencyUs(*runners[i], 2000);
        std::printf("  %-14s %8.1f us\n", runners[i]->name(), latency[i]);
    }
    std::printf("  ratio: pool / bare port %.2f\n", latency[0] / latency[1]);
    CloseHandle(g_allDone);
    return 0;
}
