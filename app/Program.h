// The program's start and end.
#pragma once

#include "app/MainWindow.h"

namespace app {

// The start routine: sets up the process, loads the main window and runs the
// message loop until the last window is gone. Returns the process exit code.
int runProgram();

// The main window while it exists; null before and after.
MainWindow* mainWindow();

}  // namespace app
