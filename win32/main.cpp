// velmiro.exe: the window on Windows, or with --modi, --tabella or --quarzi the
// companion alone. Closing the window that opened ends the program.
#include "MainWindow.h"  // first: <windows.h> before the other Windows headers

#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "text.h"

namespace {

namespace logic = velmiro::companion;

constexpr wchar_t usage[] =
    L"Uso: velmiro [--modi | --tabella | --quarzi]\n"
    L"Senza argomenti apre la finestra principale; con uno apre solo la finestra\n"
    L"di tutti i modi sulla scheda Modi, Tabella o Quarzi.";

// F2, F3 and F4 anywhere in a window of the program: the companion on that tab.
std::optional<logic::Tab> tabOfKey(const MSG& message) {
    if (message.message != WM_KEYDOWN)
        return std::nullopt;
    for (const logic::Opening& opening : logic::openings) {
        if (message.wParam == static_cast<WPARAM>(VK_F1 + opening.functionKey - 1))
            return opening.tab;
    }
    return std::nullopt;
}

bool within(HWND window, HWND target) {
    return window != nullptr && (target == window || IsChild(window, target));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES |
                                                       ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    // No argument: the window; one of the companion's: the companion alone.
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::optional<logic::Tab> alone;
    int refused = -1;
    if (count > 2) {
        refused = 2;
    } else if (count == 2) {
        const std::wstring argument = arguments[1];
        alone = logic::tabOfArgument(win32::utf8(argument));
        if (argument == L"--help" || argument == L"-h")
            refused = 0;
        else if (!alone)
            refused = 2;
    }
    if (refused >= 0) {
        const std::wstring said = refused == 0
                                      ? std::wstring(usage)
                                      : (count > 2 ? L"Troppi argomenti.\n\n"
                                                   : L"Argomento sconosciuto «" +
                                                         std::wstring(arguments[1]) + L"».\n\n") +
                                            usage;
        MessageBoxW(nullptr, said.c_str(), L"Velmiro",
                    static_cast<UINT>(MB_OK | (refused == 0 ? MB_ICONINFORMATION : MB_ICONERROR)));
        LocalFree(arguments);
        return refused;
    }
    LocalFree(arguments);

    win32::MainWindow window(instance);
    win32::CompanionWindow companionAlone(instance, nullptr);
    if (alone ? !companionAlone.open(*alone) : !window.open(show))
        return 1;
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        win32::CompanionWindow* companion = alone ? &companionAlone : window.companion();
        const HWND companionWindow = companion != nullptr ? companion->handle() : nullptr;
        if (const std::optional<logic::Tab> tab = tabOfKey(message)) {
            if (within(companionWindow, message.hwnd)) {
                companion->logic().showTab(*tab);
                continue;
            }
            if (!alone && within(window.handle(), message.hwnd)) {
                window.openCompanion(*tab);
                continue;
            }
        }
        // The dialog keys: Tab, the arrows, Space, mnemonics.
        if (within(companionWindow, message.hwnd) && IsDialogMessageW(companionWindow, &message))
            continue;
        if (!alone && IsDialogMessageW(window.handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got < 0 ? 1 : static_cast<int>(message.wParam);
}
