// The baseline of the start-up benchmark under wine: a bare Win32 window of
// velmiro.exe's client size with one static text, built and linked the same way.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "frmVelmiro_layout.h"

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = procedure;
    kind.hInstance = instance;
    kind.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    kind.lpszClassName = L"Velmiro.Bare";
    RegisterClassExW(&kind);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const UINT dpi = 96;
    RECT outer{0, 0, MulDiv(layout::clientWidth, dpi, 1440),
               MulDiv(layout::clientHeight, dpi, 1440)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const HWND window = CreateWindowExW(
        0, kind.lpszClassName, L"PIC Velmiro", style, CW_USEDEFAULT, CW_USEDEFAULT,
        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    CreateWindowExW(0, L"STATIC", L"Frequenza quarzo", WS_CHILD | WS_VISIBLE, 26, 28, 113, 17,
                    window, nullptr, instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
