#include "forms/MessageLoop.h"

#include "forms/Form.h"

namespace forms {

void dispatchMessage(MSG& message) {
    if (Form* form = Form::fromWindow(message.hwnd)) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && form->escCloses()) {
            SendMessageA(form->handle(), WM_CLOSE, 0, 0);
            return;
        }
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && IsDialogMessageA(form->handle(), &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool pumpOneMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) || message.message == WM_QUIT)
        return false;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_QUIT) {
        // Raced in between the two peeks: put it back for the loop that owns it.
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    dispatchMessage(message);
    return true;
}

int runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        dispatchMessage(message);
    return static_cast<int>(message.wParam);
}

}  // namespace forms
