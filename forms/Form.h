// A top-level window of the program with its controls: the object behind the
// window is reached through a window property set at creation. The message
// loop runs until the last form has been destroyed.
#pragma once

#include <windows.h>

namespace forms {

struct FormSettings {
    const char* caption;
    DWORD style;
    DWORD exStyle;
    int width, height;  // outer size; the form is centred on the screen
    bool escCloses;     // Esc pressed in the form closes it, as the close button does
};

class Form {
public:
    Form() = default;
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND handle() const { return window_; }
    bool escCloses() const { return escCloses_; }

    // The form behind a window (or behind the top-level window of a control).
    static Form* fromWindow(HWND window);
    // Forms alive in this process; the message loop ends when it drops to 0.
    static int liveCount();

protected:
    // Creates and shows the window; onCreate builds the controls. False if no window.
    bool createForm(const FormSettings& settings, int showCommand = SW_SHOW);

    virtual void onCreate() {}
    virtual bool onCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // Returning false keeps the window open.
    virtual bool onClose() { return true; }
    virtual void onDestroy() {}
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool escCloses_ = false;
};

// Creates a child control. Font: the default GUI font unless given.
HWND controlCreate(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int left,
                   int top, int width, int height, int id, HFONT font = nullptr);

}  // namespace forms
