// The main window: the character list, the output-folder box with its button,
// the two size boxes and the start/stop button.
#pragma once

#include "forms/Form.h"

namespace app {

// Routines bound to the main window's events; any may be null.
struct MainWindowEvents {
    void (*created)() = nullptr;      // once, when the window and its controls exist
    void (*pathClicked)() = nullptr;  // 按钮_路径
    void (*runClicked)() = nullptr;   // 按钮_执行
    void (*destroyed)() = nullptr;    // the window is gone
};

class MainWindow : public forms::Form {
public:
    // Creates and shows the window, centred on the screen. False if it could not be created.
    bool load(const MainWindowEvents& events);

    HWND 分组框1 = nullptr;
    HWND 超级列表框1 = nullptr;
    HWND 透明标签_路径 = nullptr;
    HWND 编辑框_路径 = nullptr;
    HWND 按钮_路径 = nullptr;
    HWND 透明标签_高度 = nullptr;
    HWND 编辑框_高度 = nullptr;
    HWND 透明标签_宽度 = nullptr;
    HWND 编辑框_宽度 = nullptr;
    HWND 按钮_执行 = nullptr;

    enum ControlId { kGroupId = 100, kListId, kPathEditId, kPathButtonId, kHeightEditId, kWidthEditId, kRunButtonId };

protected:
    void onCreate() override;
    bool onCommand(int id, int code, HWND control) override;
    void onDestroy() override;

private:
    void createList();
    MainWindowEvents events_;
};

}  // namespace app
