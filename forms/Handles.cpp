#include "forms/Handles.h"

namespace forms {

namespace {
volatile LONG g_live[static_cast<int>(HandleKind::Count)];
}

long liveHandles(HandleKind kind) { return g_live[static_cast<int>(kind)]; }

namespace detail {
void countAcquire(HandleKind kind) { InterlockedIncrement(&g_live[static_cast<int>(kind)]); }
void countRelease(HandleKind kind) { InterlockedDecrement(&g_live[static_cast<int>(kind)]); }
}  // namespace detail

WindowDC::WindowDC(HWND window, Area area)
    : window_(window), dc_(area == Area::Window && window ? GetWindowDC(window) : GetDC(window)) {
    if (dc_)
        detail::countAcquire(HandleKind::WindowDC);
}

WindowDC::~WindowDC() {
    if (dc_) {
        ReleaseDC(window_, dc_);
        detail::countRelease(HandleKind::WindowDC);
    }
}

}  // namespace forms
