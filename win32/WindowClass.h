// What each of the program's windows needs of its window class: registered
// once, and a procedure that hands every message to the object the window was
// created for.
#pragma once

#include "text.h"  // <windows.h>, as the program includes it

namespace win32 {

// Registers a class with the dialog colour and the arrow; true when it is (or
// already was) registered. No class icons: each window sets its own per DPI.
inline bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    if (GetClassInfoExW(instance, name, &kind) != 0)
        return true;
    kind.lpfnWndProc = procedure;
    kind.hInstance = instance;
    kind.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    kind.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    kind.lpszClassName = name;
    return RegisterClassExW(&kind) != 0;
}

// The object given to CreateWindowExW, kept with its window from WM_NCCREATE
// on; null before then and once the object has let go of it.
template <class Owner>
Owner* ownerOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace win32
