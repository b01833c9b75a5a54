// velmiro.exe: the window on Windows. Closing it ends the program.
#include "MainWindow.h"  // first: <windows.h> before the other Windows headers

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    win32::MainWindow window(instance);
    if (!window.open(show))
        return 1;
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        // The dialog keys: Tab, the arrows among the check boxes, Space.
        if (!IsDialogMessageW(window.handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return got < 0 ? 1 : static_cast<int>(message.wParam);
}
