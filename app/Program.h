// The program's start and end: its long-lived objects, the main window, the
// message loop and the ordered release at exit.
#pragma once

#include "app/MainWindow.h"

namespace charlist {
class DropTarget;
}
namespace pool {
class WorkerPool;
}

namespace app {

// The start routine: sets up the process, creates the pool and the drop
// target, loads the main window and runs the message loop until the last
// window is gone, then runs the exit routine. Returns the process exit code.
int runProgram();

// The program-wide objects; null outside runProgram.
MainWindow* mainWindow();
pool::WorkerPool* programPool();
charlist::DropTarget* programDropTarget();

// Test seam: called by the exit routine with the name of each release step
// ("pool", "initialFolder", "dropTarget"), in order.
extern void (*programOnRelease)(const char* step);

}  // namespace app
