// The small borderless window whose one edit box shows the character being
// exported; the glyph tasks capture that edit box.
#pragma once

#include "forms/Form.h"
#include "forms/Handles.h"

namespace app {

class RenderWindow : public forms::Form {
public:
    // Creates and shows a render window centred on the screen, showing "啊".
    // The object deletes itself when its window is destroyed; other threads
    // keep the window handles only. Null if the window could not be created.
    static RenderWindow* load();

    // Asks the owning thread to destroy the window (posted, so callable from any thread).
    static void requestDestroy(HWND renderWindow);

    HWND 编辑框_截图 = nullptr;

protected:
    void onCreate() override;
    bool onClose() override;
    void onDestroy() override;
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    RenderWindow() = default;
    forms::GdiFont font_;
};

}  // namespace app
