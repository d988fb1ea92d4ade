// The message pump of the program's threads.
#pragma once

#include <windows.h>

namespace forms {

// Translates and dispatches one retrieved message, with the keys the forms
// handle themselves: Esc closes a form that asks for it, Tab moves between
// the tab stops of a form.
void dispatchMessage(MSG& message);

// Retrieves and dispatches one pending message; false when none is pending or
// the next one is WM_QUIT, which stays in the queue.
bool pumpOneMessage();

// Runs until WM_QUIT, which the last form posts when it is destroyed.
// Returns the WM_QUIT exit code.
int runMessageLoop();

}  // namespace forms
