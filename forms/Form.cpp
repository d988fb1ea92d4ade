#include "forms/Form.h"

namespace forms {

namespace {
const char kFormClass[] = "PixnadelForm";
const char kFormProperty[] = "PixnadelForm";
volatile LONG g_liveForms = 0;

bool isEditBox(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "Edit") == 0;
}
}  // namespace

Form::~Form() {
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
}

Form* Form::fromWindow(HWND window) {
    if (!window)
        return nullptr;
    HWND root = GetAncestor(window, GA_ROOT);
    return static_cast<Form*>(GetPropA(root ? root : window, kFormProperty));
}

int Form::liveCount() { return g_liveForms; }

bool Form::createForm(const FormSettings& settings, int showCommand) {
    static ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Form::windowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kFormClass;
        return RegisterClassExA(&wc);
    }();
    if (!atom)
        return false;
    escCloses_ = settings.escCloses;
    int left = (GetSystemMetrics(SM_CXSCREEN) - settings.width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - settings.height) / 2;
    HWND window = CreateWindowExA(settings.exStyle, kFormClass, settings.caption, settings.style, left, top, settings.width,
                                  settings.height, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!window)
        return false;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetPropA(window, kFormProperty, form);
        InterlockedIncrement(&g_liveForms);
    }
    auto form = static_cast<Form*>(GetPropA(window, kFormProperty));
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropA(window, kFormProperty);
        form->window_ = nullptr;
        form->onDestroy();
        if (InterlockedDecrement(&g_liveForms) == 0)
            PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return form->handle(message, wParam, lParam);
}

LRESULT Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        onCreate();
        return 0;
    case WM_COMMAND:
        if (onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_CLOSE:
        if (onClose())
            DestroyWindow(window_);
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // Edit boxes, read-only ones included, are black on white; other
        // controls (the group box) black on the button face.
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        if (message == WM_CTLCOLOREDIT || isEditBox(reinterpret_cast<HWND>(lParam))) {
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    }
    return onMessage(message, wParam, lParam);
}

LRESULT Form::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window_, message, wParam, lParam);
}

HWND controlCreate(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int left,
                   int top, int width, int height, int id, HFONT font) {
    HWND control = CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, left, top, width, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control)
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
                     FALSE);
    return control;
}

}  // namespace forms
