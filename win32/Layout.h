// The window's controls made and placed from the layout generated from the .ui:
// what velmiro.exe and the plain launcher of the start-up benchmark share, as the
// Qt window and its plain launcher share setupUi.
#pragma once

#ifndef NOMINMAX  // mingw's libstdc++ defines it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "controls.h"

namespace win32 {

inline constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr DWORD windowExStyle = WS_EX_CONTROLPARENT;

// A result: a sunken label.
constexpr bool isResult(const layout::Control& c) {
    return c.sunken;
}

// Twips of the layout in pixels at `dpi` dots per inch.
inline int pixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

// Makes every control of the layout a child of `window`, with its text and its id,
// each input right after the label that names it, in tab order.
void createControls(HWND window, HINSTANCE instance);

// Places every child at `dpi` and gives the window the layout's client size.
void placeControls(HWND window, UINT dpi);

}  // namespace win32
