#include "export/GlyphJob.h"

#include "app/MainWindow.h"
#include "app/RenderWindow.h"
#include "export/GlyphTask.h"
#include "forms/Handles.h"
#include "forms/ListView.h"
#include "forms/Window.h"
#include "pool/WorkerPool.h"
#include "support/PumpingWait.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace exportjob {

ExportTiming exportTiming;
void (*exportOnPost)(int32_t rowNumber) = nullptr;

namespace {

const char kStartCaption[] = "开始执行";
const char kStopCaption[] = "停止执行";
const int kWorkers = 20;

std::shared_ptr<pool::WorkerPool> g_pool;
app::MainWindow* g_main = nullptr;

// Who brings a job to its end: its own ending (all rows posted), or a stop.
// Whichever claims it first stops the pool, destroys the render window,
// resets the caption and shows the one message; the other leaves quietly.
enum class Owner : int { None, Ending, Stop };

struct Job {
    std::shared_ptr<pool::WorkerPool> pool;
    HWND list = nullptr, pathBox = nullptr, heightBox = nullptr, widthBox = nullptr;
    HWND renderWindow = nullptr;
    HWND renderEdit = nullptr;
    std::atomic<Owner> owner{Owner::None};
    // Held by the job thread from its test of `owner` to the end of each post,
    // and by a claim: a stop press is either before a post or after it.
    std::mutex postGate;
    // Set when the job thread posts nothing more; the stop waits for it.
    forms::UniqueHandle postingDone{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    // Set when the pool is stopped and the render window gone; the next job waits for it.
    forms::UniqueHandle finished{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::shared_ptr<Job> previous;  // the job before: this one starts once it has finished

    bool claim(Owner who) {
        std::lock_guard<std::mutex> lock(postGate);
        Owner expected = Owner::None;
        return owner.compare_exchange_strong(expected, who);
    }
    // Posts row `rowNumber` unless the job has been stopped.
    bool postRow(int32_t rowNumber) {
        std::lock_guard<std::mutex> lock(postGate);
        if (owner.load() == Owner::Stop)
            return false;
        if (exportOnPost)
            exportOnPost(rowNumber);
        pool->post(exportGlyph, rowNumber);
        return true;
    }
};

std::shared_ptr<Job> g_current;  // the job the button stands for; user-interface thread only
std::shared_ptr<Job> g_last;     // the newest job, running or ending

// Job threads reach the user-interface thread through this message-only window.
const UINT kJobEnded = WM_APP + 0x51;
HWND g_messenger = nullptr;

LRESULT CALLBACK messengerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kJobEnded) {
        // Only the job the button still stands for resets the caption: a newer
        // job may own it already.
        auto* job = reinterpret_cast<Job*>(lParam);
        if (g_current.get() == job) {
            g_current.reset();
            if (g_main && g_main->按钮_执行)
                forms::windowSetText(g_main->按钮_执行, kStartCaption);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND messenger() {
    if (!g_messenger) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = messengerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PixnadelExportMessenger";
        RegisterClassA(&wc);
        g_messenger = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    return g_messenger;
}

// Waits for an event while this thread's messages keep being dispatched.
void waitPumping(HANDLE event) {
    while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        support::processPendingMessages();
}

bool postingStopped(const Job& job) { return job.owner.load() == Owner::Stop; }

// The common end of a job: render window destroyed, the next job let in, the
// caption reset (if the button still stands for this job), then the message.
void finishJob(const std::shared_ptr<Job>& job, const char* message, UINT style) {
    app::RenderWindow::requestDestroy(job->renderWindow);
    SetEvent(job->finished.get());
    // Bounded: once the program has ended nobody answers.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(g_messenger, kJobEnded, 0, reinterpret_cast<LPARAM>(job.get()), SMTO_NORMAL, 5000, &ignored);
    forms::messageBox(message, style);
}

// Stops the pool in mode 0 until it reads Stopped, with the wait of each cycle.
void stopPool(const Job& job, bool keepRenderOnTop) {
    for (;;) {
        job.pool->stop(0);
        support::pumpingWait(exportTiming.endingMs);
        support::pumpIfInputPending();
        if (keepRenderOnTop)
            forms::windowSetTopmost(job.renderWindow, true);
        if (job.pool->state() == pool::PoolState::Stopped)
            return;
    }
}

DWORD WINAPI glyphJob(void* parameter) {
    std::shared_ptr<Job> job(*static_cast<std::shared_ptr<Job>*>(parameter));
    delete static_cast<std::shared_ptr<Job>*>(parameter);
    // A job still ending or stopping keeps the pool until it has finished.
    if (job->previous) {
        waitPumping(job->previous->finished.get());
        job->previous.reset();
    }
    HWND list = job->list;
    glyphWindowsSet({list, job->pathBox, job->heightBox, job->widthBox, job->renderWindow, job->renderEdit});
    bool started = !postingStopped(*job) && job->pool->start(kWorkers);
    if (!started) {
        SetEvent(job->postingDone.get());
        if (job->claim(Owner::Ending)) {
            job->pool->stop(0);
            finishJob(job, "执行失败!", MB_ICONERROR);
        }
        return 0;
    }
    for (int32_t index = 0; index < forms::listRowCount(list); ++index) {
        if (!job->postRow(index + 1))
            break;
        // Pacing: at least one cycle per row, and the next row only once a worker is idle.
        do {
            forms::windowSetLeftTop(job->renderWindow, 1, 1);
            support::pumpingWait(exportTiming.pacingMs);
            support::pumpIfInputPending();
        } while (job->pool->idleCount() == 0 && !postingStopped(*job));
        if (postingStopped(*job))
            break;
        support::pumpingWait(exportTiming.gapMs);
        support::pumpIfInputPending();
    }
    SetEvent(job->postingDone.get());
    if (!job->claim(Owner::Ending))
        return 0;  // stopped: the stop finishes the job
    stopPool(*job, false);
    finishJob(job, "执行完成!", MB_OK);
    return 0;
}

DWORD WINAPI stopJob(void* parameter) {
    std::shared_ptr<Job> job(*static_cast<std::shared_ptr<Job>*>(parameter));
    delete static_cast<std::shared_ptr<Job>*>(parameter);
    // No row is posted after the press: the job thread has seen the claim.
    waitPumping(job->postingDone.get());
    stopPool(*job, true);
    finishJob(job, "停止成功!", MB_OK);
    return 0;
}

bool startThread(LPTHREAD_START_ROUTINE routine, const std::shared_ptr<Job>& job) {
    auto* parameter = new std::shared_ptr<Job>(job);
    HANDLE thread = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
    if (!thread) {
        delete parameter;
        return false;
    }
    CloseHandle(thread);
    return true;
}

void startPress() {
    auto job = std::make_shared<Job>();
    job->pool = g_pool;
    job->list = g_main->超级列表框1;
    job->pathBox = g_main->编辑框_路径;
    job->heightBox = g_main->编辑框_高度;
    job->widthBox = g_main->编辑框_宽度;
    job->previous = g_last;
    app::RenderWindow* render = app::RenderWindow::load();
    if (render) {
        job->renderWindow = render->handle();
        job->renderEdit = render->编辑框_截图;
    }
    if (!render || !job->postingDone || !job->finished) {
        app::RenderWindow::requestDestroy(job->renderWindow);
        forms::messageBox("执行失败!", MB_ICONERROR);
        return;
    }
    forms::windowSetText(g_main->按钮_执行, kStopCaption);
    messenger();
    g_current = job;
    g_last = job;
    if (!startThread(glyphJob, job)) {
        g_current.reset();
        job->claim(Owner::Ending);
        SetEvent(job->finished.get());
        app::RenderWindow::requestDestroy(job->renderWindow);
        forms::windowSetText(g_main->按钮_执行, kStartCaption);
        forms::messageBox("执行失败!", MB_ICONERROR);
    }
}

void stopPress() {
    forms::windowSetText(g_main->按钮_执行, kStartCaption);
    std::shared_ptr<Job> job = std::move(g_current);
    // Claimed here, at the press, so the job thread posts no further row. A
    // job already in its ending finishes by itself with its own message.
    if (!job || !job->claim(Owner::Stop))
        return;
    if (!startThread(stopJob, job)) {
        // No thread for the stop: the job goes on, and the button says so.
        job->owner.store(Owner::None);
        g_current = job;
        forms::windowSetText(g_main->按钮_执行, kStopCaption);
    }
}

}  // namespace

void exportBind(std::shared_ptr<pool::WorkerPool> workerPool, app::MainWindow* mainWindow) {
    g_pool = std::move(workerPool);
    g_main = mainWindow;
    if (!g_main) {
        g_current.reset();
        g_last.reset();
    }
}

void onRunButtonClicked() {
    if (!g_main || !g_pool)
        return;
    if (forms::windowGetText(g_main->编辑框_路径).empty()) {
        forms::messageBox("路径出错!", MB_ICONERROR);
        return;
    }
    if (forms::windowGetText(g_main->按钮_执行) == kStartCaption)
        startPress();
    else
        stopPress();
}

void exportAbandon() {
    if (g_last && WaitForSingleObject(g_last->finished.get(), 0) != WAIT_OBJECT_0) {
        g_last->claim(Owner::Stop);
        if (IsWindow(g_last->renderWindow))
            DestroyWindow(g_last->renderWindow);
    }
    g_current.reset();
}

}  // namespace exportjob
