// The floor of velmiro.exe's start-up: the same window with the same controls,
// made and placed by the same code from the same generated layout, themed by the
// same manifest, with the layout's fonts (text, bold, the large bold) in the
// system's message face, shown by a plain wWinMain. What the program adds to
// this (its logic, its choice of face, the tooltips, the icon, the chip, the
// readable results) is what it costs beyond it.
#include "Layout.h"

#include <commctrl.h>

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
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = procedure;
    kind.hInstance = instance;
    kind.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    kind.lpszClassName = L"Velmiro.PlainLayout";
    RegisterClassExW(&kind);
    const HWND window = CreateWindowExW(
        win32::windowExStyle, kind.lpszClassName, L"PIC Velmiro", win32::windowStyle, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    win32::createControls(window, instance);
    const UINT dpi = GetDpiForWindow(window);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    const auto make = [&](double points, bool bold) {
        font.lfHeight = -static_cast<LONG>(points * dpi / 72.0 + 0.5);
        font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        return reinterpret_cast<WPARAM>(CreateFontIndirectW(&font));
    };
    const WPARAM text = make(9.75, false), bold = make(9.75, true), large = make(12, true);
    for (const layout::Control& c : layout::controls) {
        SendMessageW(GetDlgItem(window, c.id), WM_SETFONT,
                     c.points > 0 ? large
                     : c.bold     ? bold
                                  : text,
                     FALSE);
    }
    win32::placeControls(window, dpi);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
