// Milliseconds from the performance counter, for measuring waits and runs.
#pragma once

namespace forms {

double clockNowMs();

}  // namespace forms
