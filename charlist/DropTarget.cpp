#include "charlist/DropTarget.h"

#include <shellapi.h>

#include <string>

namespace charlist {

namespace {

// The hooked window names its target through this property; the replacement
// procedure finds the target there, so no code is made at run time.
constexpr char kBindingName[] = "Pixnadel.DropTarget";

// Names dropped files may take: 999 bytes and the NUL.
constexpr UINT kNameBufferSize = 1000;

constexpr DWORD kMessageFilterAdd = 1;  // MSGFLT_ADD
// Carries the dropped data between processes of different integrity levels.
constexpr UINT kCopyGlobalData = 0x0049;

MessageFilterFunction filterOverride = nullptr;

MessageFilterFunction systemMessageFilter() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, "ChangeWindowMessageFilter") : nullptr;
    // Through a function type without parameters, which any function pointer may pass.
    return reinterpret_cast<MessageFilterFunction>(reinterpret_cast<void (*)()>(proc));
}

// Lets drops from programs of a lower integrity level through (when this one
// runs elevated). The filter is process-wide; results do not matter.
void allowDropMessages() {
    MessageFilterFunction filter = filterOverride ? filterOverride : systemMessageFilter();
    if (!filter)
        return;  // before Vista there is no filter to open
    for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
        filter(message, kMessageFilterAdd);
}

bool isWindowOfThisProcess(HWND window) {
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}

}  // namespace

MessageFilterFunction setMessageFilterFunction(MessageFilterFunction function) {
    MessageFilterFunction previous = filterOverride;
    filterOverride = function;
    return previous;
}

void DropTarget::attach(HWND window, FileCallback callback) {
    if (bound_)
        return;
    // Another process's window cannot be subclassed, and a window hooked by
    // another target would lose that hook when either one detaches.
    if (!isWindowOfThisProcess(window) || GetPropA(window, kBindingName))
        return;
    if (!SetPropA(window, kBindingName, this))
        return;
    SetLastError(0);
    LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hookProc));
    if (previous == 0) {
        RemovePropA(window, kBindingName);
        return;
    }
    window_ = window;
    callback_ = callback;
    previous_ = reinterpret_cast<WNDPROC>(previous);
    bound_ = true;
    // Only now, so a window that could not be hooked keeps its style.
    DragAcceptFiles(window, TRUE);
    allowDropMessages();
}

void DropTarget::detach() {
    if (!bound_)
        return;
    // The previous procedure first: from here on nothing reaches this target.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    DragAcceptFiles(window_, FALSE);
    RemovePropA(window_, kBindingName);
    bound_ = false;
}

LRESULT CALLBACK DropTarget::hookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = static_cast<DropTarget*>(GetPropA(window, kBindingName));
    if (!target)
        return DefWindowProcA(window, message, wParam, lParam);  // no target: nothing to hand on to
    return target->windowProc(window, message, wParam, lParam);
}

LRESULT DropTarget::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES)
        return onDropFiles(reinterpret_cast<HDROP>(wParam));
    WNDPROC previous = previous_;
    if (message == WM_NCDESTROY)
        onNcDestroy();
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

LRESULT DropTarget::onDropFiles(HDROP drop) {
    // The callback may pump messages (a later drop then comes through here
    // again) and may even detach this target: each drop keeps its own buffer
    // and callback, and this target is not read again after the first call.
    FileCallback callback = callback_;
    std::string name(kNameBufferSize, ' ');
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, name.data(), kNameBufferSize);
    for (UINT i = 0; i < count; ++i) {
        if (DragQueryFileA(drop, i, name.data(), kNameBufferSize) == 0)
            continue;  // no name: better no call than the previous file's name again
        if (callback)
            callback(name.c_str());
    }
    DragFinish(drop);
    return 0;
}

void DropTarget::onNcDestroy() {
    // The window handle is about to become invalid; a later detach must not use it.
    detach();
}

}  // namespace charlist
