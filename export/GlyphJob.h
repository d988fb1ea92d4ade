// The export job: the start/stop button, the job that posts one glyph task per
// row at a paced rate, and the stop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace app {
class MainWindow;
}
namespace pool {
class WorkerPool;
}

namespace exportjob {

// What the job works with: the program's pool and main window. Set on the
// user-interface thread before the first press, cleared before either goes.
// A job keeps its own share of the pool and the handles of the windows it
// uses, so a job thread outliving the program touches nothing released.
void exportBind(std::shared_ptr<pool::WorkerPool> workerPool, app::MainWindow* mainWindow);

// Click of 按钮_执行 (user-interface thread): starts or stops an export.
void onRunButtonClicked();

// The main window is closing: the running export, if any, posts nothing more
// and its render window goes now, so the program can end (user-interface thread).
void exportAbandon();

// Timing of the job, changeable for tests: pacing wait per cycle, gap after
// each row, wait of each ending or stop cycle (milliseconds).
struct ExportTiming {
    int pacingMs = 100;
    int gapMs = 50;
    int endingMs = 2000;
};
extern ExportTiming exportTiming;

// Test seam: called by the job thread right before each post with the row number.
extern void (*exportOnPost)(int32_t rowNumber);

}  // namespace exportjob
