#include "forms/Clock.h"

#include <windows.h>

namespace forms {

double clockNowMs() {
    static const double msPerTick = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1000.0 / static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * msPerTick;
}

}  // namespace forms
