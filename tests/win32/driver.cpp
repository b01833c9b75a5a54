// Drives velmiro.exe as a user does, through window messages from another
// process: it types into the combo boxes, clicks where the check boxes and the
// button are, and reads back what is on screen: texts, the colours the results
// are painted in, captions, enabled states, tooltips and message boxes. Every
// case of the shared window table starts a fresh velmiro.exe.
// Usage: velmiro_driver PATH_TO_VELMIRO_EXE [gtest options]
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "controls.h"
#include "velmiro/form.h"
#include "window_cases.h"

namespace {

using velmiro::cases::Tint;
using velmiro::cases::WindowCase;

std::wstring program;  // velmiro.exe, as Windows names it

std::wstring wide(const char* utf8) {
    if (utf8 == nullptr || *utf8 == '\0')
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), size);
    text.pop_back();
    return text;
}

std::string narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

constexpr UINT patience = 10000;  // ms for any one answer of the window

// The text of another process's window: WM_GETTEXT, which Windows carries across.
std::wstring textOf(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_NORMAL, patience, &length);
    return std::wstring(buffer, length);
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// The window of one process with a class, owned by `owner` if given.
HWND findWindow(DWORD process, const wchar_t* kind, HWND owner = nullptr) {
    struct Search {
        DWORD process;
        const wchar_t* kind;
        HWND owner;
        HWND found;
    } search{process, kind, owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != s.process || classOf(window) != s.kind)
                return TRUE;
            if (s.owner != nullptr && GetWindow(window, GW_OWNER) != s.owner)
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A running velmiro.exe and what a user can do to it.
class Velmiro {
  public:
    Velmiro() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring line = L"\"" + program + L"\"";
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_))
            return;
        WaitForInputIdle(process_.hProcess, patience);
        for (int tries = 0; tries < 500 && main_ == nullptr; ++tries) {
            main_ = findWindow(process_.dwProcessId, win32::windowClass);
            if (main_ == nullptr || !IsWindowVisible(main_)) {
                main_ = nullptr;
                Sleep(20);
            }
        }
        settle();
    }
    ~Velmiro() {
        if (process_.hProcess == nullptr)
            return;
        // Closing is a case of its own; here the quickest end will do.
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, patience);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Velmiro(const Velmiro&) = delete;
    Velmiro& operator=(const Velmiro&) = delete;

    [[nodiscard]] HWND window() const { return main_; }
    [[nodiscard]] HANDLE process() const { return process_.hProcess; }
    [[nodiscard]] HWND control(const char* name) const {
        return GetDlgItem(main_, win32::controlId(name));
    }
    [[nodiscard]] HWND box(int index) const {
        return control(("chkBRG_" + std::to_string(index)).c_str());
    }

    // Returns once the window has handled everything sent to it before: sent
    // messages are handled in order, and a message box's own loop handles them too.
    void settle() const {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, patience, &ignored);
    }

    // A click where a control stands reaches whatever takes it there: the control,
    // or the window behind it when the control is disabled.
    void clickOn(HWND target) const {
        RECT place{};
        GetWindowRect(target, &place);
        POINT centre{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
        ScreenToClient(main_, &centre);
        const HWND hit =
            ChildWindowFromPointEx(main_, centre, CWP_SKIPDISABLED | CWP_SKIPINVISIBLE);
        if (hit == target) {
            SendNotifyMessageW(target, BM_CLICK, 0, 0);
        } else if (hit != nullptr) {
            POINT at = centre;
            MapWindowPoints(main_, hit, &at, 1);
            const LPARAM where = MAKELPARAM(at.x, at.y);
            SendNotifyMessageW(hit, WM_LBUTTONDOWN, MK_LBUTTON, where);
            SendNotifyMessageW(hit, WM_LBUTTONUP, 0, where);
        }
        settle();
    }

    // Selects the edit field's text and types over it, a character at a time.
    void type(const char* name, const char* utf8) const {
        const HWND edit = FindWindowExW(control(name), nullptr, L"Edit", nullptr);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_NORMAL, patience, &ignored);
        std::wstring text = wide(utf8);
        if (text.empty())
            text = L"\b";  // Backspace clears the selection
        for (wchar_t c : text)
            SendMessageTimeoutW(edit, WM_CHAR, c, 1, SMTO_NORMAL, patience, &ignored);
        settle();
    }

    [[nodiscard]] HWND messageBox() const {
        return findWindow(process_.dwProcessId, L"#32770", main_);
    }

    // The box's text: the static that is not its icon.
    [[nodiscard]] static std::wstring promptOf(HWND box) {
        std::wstring prompt;
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (classOf(child) == L"Static" &&
                (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
                const std::wstring text = textOf(child);
                if (text.size() > prompt.size())
                    prompt = text;
            }
        }
        return prompt;
    }
    [[nodiscard]] static bool hasIcon(HWND box) {
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (classOf(child) == L"Static" &&
                (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                return true;
        }
        return false;
    }

    void dismiss(HWND box) const {
        SendNotifyMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        for (int tries = 0; tries < 500 && IsWindow(box); ++tries)
            Sleep(10);
        settle();
    }

    // The tooltip the window shows over a control, asked of its tooltip control
    // with the question in the window's own memory, where the answer is written.
    [[nodiscard]] std::wstring toolTipOf(HWND tool) const {
        const HWND tips = findWindow(process_.dwProcessId, TOOLTIPS_CLASSW, main_);
        if (tips == nullptr)
            return L"(no tooltip control)";
        constexpr std::size_t room = 256;
        void* remote =
            VirtualAllocEx(process_.hProcess, nullptr, sizeof(TOOLINFOW) + room * sizeof(wchar_t),
                           MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        auto* remoteText =
            reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(TOOLINFOW));
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = main_;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = remoteText;
        WriteProcessMemory(process_.hProcess, remote, &info, sizeof info, nullptr);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(tips, TTM_GETTEXTW, room, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                            patience, &ignored);
        wchar_t text[room] = {};
        ReadProcessMemory(process_.hProcess, remoteText, text, sizeof text - sizeof(wchar_t),
                          nullptr);
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        return text;
    }

  private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

COLORREF colorref(velmiro::form::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

velmiro::form::Rgb systemColour(int index) {
    const COLORREF c = GetSysColor(index);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// How many pixels of a result, as the screen shows it, have each colour a
// result can be painted in.
struct Paint {
    int ink[4] = {};  // default text, blue, green, red
    int background = 0;
};

Paint paintOf(HWND result, velmiro::form::Rgb background) {
    RECT place{};
    GetWindowRect(result, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    GdiFlush();

    const velmiro::form::Rgb candidates[] = {
        systemColour(COLOR_WINDOWTEXT), systemColour(COLOR_BTNTEXT), systemColour(COLOR_INFOTEXT)};
    const COLORREF inks[] = {colorref(velmiro::form::resultText(candidates, background)),
                             colorref(velmiro::form::registerBlue),
                             colorref(velmiro::form::withinGreen),
                             colorref(velmiro::form::outsideRed)};
    Paint paint;
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t p = pixels[i];
        const COLORREF c = RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
        for (int k = 0; k < 4; ++k)
            paint.ink[k] += c == inks[k] ? 1 : 0;
        paint.background += c == colorref(background) ? 1 : 0;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return paint;
}

// The colour a result's text is painted in: 0 default, 1 blue, 2 green, 3 red,
// -1 when no text shows. The screen is read again for a while: painting and its
// way to the display come after the text has changed.
int inkOf(HWND result, int expected) {
    int seen = -1;
    for (int tries = 0; tries < 50; ++tries) {
        const Paint paint =
            paintOf(result, velmiro::form::resultBackground(systemColour(COLOR_HIGHLIGHTTEXT),
                                                            systemColour(COLOR_WINDOW)));
        seen = -1;
        for (int k = 0; k < 4; ++k) {
            if (paint.ink[k] >= 3 && (seen < 0 || paint.ink[k] > paint.ink[seen]))
                seen = k;
        }
        if (seen == expected)
            break;
        Sleep(20);
    }
    return seen;
}

int inkOf(Tint tint) {
    switch (tint) {
        case Tint::Green:
            return 2;
        case Tint::Red:
            return 3;
        case Tint::Default:
            break;
    }
    return 0;
}

constexpr const char* resultNames[] = {"lblSPBRG", "lblFrequenzaReale", "lblScostamento"};

class WindowCases : public testing::TestWithParam<WindowCase> {};

TEST_P(WindowCases, RunAsAUserDoes) {
    const WindowCase& c = GetParam();
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr) << "velmiro.exe shows no window";

    if (c.before)
        velmiro.clickOn(velmiro.control("cmdCalcola"));
    for (const char* digit = c.clicks; *digit != '\0'; ++digit)
        velmiro.clickOn(velmiro.box(*digit - '0'));

    HWND box = nullptr;
    if (c.quarzo != nullptr) {
        velmiro.type("cboQuarzo", c.quarzo);
        velmiro.type("cboVelmiro", c.velmiro);
        velmiro.clickOn(velmiro.control("cmdCalcola"));
        box = velmiro.messageBox();
    }
    if (c.box.title == nullptr) {
        EXPECT_EQ(box, nullptr) << "a box: " << narrow(textOf(box));
    } else {
        ASSERT_NE(box, nullptr) << "no box owned by the window";
        EXPECT_EQ(narrow(textOf(box)), c.box.title);
        EXPECT_EQ(narrow(Velmiro::promptOf(box)), c.box.prompt);
        EXPECT_TRUE(Velmiro::hasIcon(box));
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(narrow(textOf(velmiro.control(resultNames[i]))), c.behind[i]) << i;
        velmiro.dismiss(box);
        EXPECT_EQ(velmiro.messageBox(), nullptr);
    }

    for (std::size_t i = 0; i < 3; ++i) {
        const HWND result = velmiro.control(resultNames[i]);
        EXPECT_EQ(narrow(textOf(result)), c.results[i]) << resultNames[i];
        if (*c.results[i] == '\0')
            continue;  // no text, no colour to see
        const int expected = i == 0 ? 1 : i == 2 ? inkOf(c.tint) : 0;
        EXPECT_EQ(inkOf(result, expected), expected) << resultNames[i] << " painted otherwise";
    }

    for (int i = 0; i < 3; ++i) {
        const HWND check = velmiro.box(i);
        const bool checked = c.boxes[2 * i] == '1';
        const auto ui = static_cast<std::size_t>(i);
        EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED, checked) << i;
        EXPECT_EQ(IsWindowEnabled(check) != FALSE, c.boxes[2 * i + 1] == 'e') << i;
        EXPECT_EQ(narrow(textOf(check)), velmiro::cases::captions[ui][checked ? 1 : 0]);
        EXPECT_EQ(narrow(velmiro.toolTipOf(check)), velmiro::cases::tooltips[ui][checked ? 1 : 0]);
    }
}

INSTANTIATE_TEST_SUITE_P(Shared, WindowCases, testing::ValuesIn(velmiro::cases::windowCases),
                         [](const testing::TestParamInfo<WindowCase>& param) {
                             std::string name;
                             for (const char* c = param.param.name; *c != '\0'; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

// What only this view does: place the layout's controls at the window's DPI, in
// the layout's tab order with each input right after the label that names it.
TEST(Window, StandsAsTheLayoutSays) {
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr);
    const HWND window = velmiro.window();
    const int dpi = static_cast<int>(GetDpiForWindow(window));
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, px(layout::clientWidth));
    EXPECT_EQ(client.bottom, px(layout::clientHeight));
    EXPECT_EQ(narrow(textOf(window)), layout::title);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    std::vector<HWND> tabs;
    for (const layout::Control& c : layout::controls) {
        const HWND child = velmiro.control(c.name);
        ASSERT_NE(child, nullptr) << c.name;
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        POINT at{c.left, c.top};
        if (*c.parent != '\0') {
            const layout::Control& frame = win32::control(win32::controlId(c.parent));
            at = {at.x + frame.left, at.y + frame.top};
        }
        EXPECT_EQ(place.left, px(at.x)) << c.name;
        EXPECT_EQ(place.top, px(at.y)) << c.name;
        EXPECT_EQ(place.right - place.left, px(c.width)) << c.name;
        if (c.kind != layout::Kind::ComboBox) {
            EXPECT_EQ(place.bottom - place.top, px(c.height)) << c.name;
            if (c.kind != layout::Kind::CheckBox) {
                EXPECT_EQ(narrow(textOf(child)), c.text) << c.name;
            }
        } else {
            EXPECT_EQ(narrow(velmiro.toolTipOf(child)), c.toolTip) << c.name;
        }
        if (*c.buddy != '\0') {
            EXPECT_EQ(GetWindow(velmiro.control(c.buddy), GW_HWNDPREV), child) << c.name;
        }
        if (c.tab >= 0) {
            tabs.resize(std::max(tabs.size(), static_cast<std::size_t>(c.tab) + 1));
            tabs[static_cast<std::size_t>(c.tab)] = child;
        }
    }
    for (std::size_t i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(window, tabs[i], FALSE), tabs[(i + 1) % tabs.size()]) << i;
}

TEST(Window, ListsThePresets) {
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr);
    const auto list = [&velmiro](const char* name) {
        const HWND combo = velmiro.control(name);
        std::vector<std::string> items;
        const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
            wchar_t item[64] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            items.push_back(narrow(item));
        }
        return items;
    };
    using velmiro::form::crystalPresets, velmiro::form::ratePresets;
    EXPECT_EQ(list("cboQuarzo"),
              std::vector<std::string>(crystalPresets.begin(), crystalPresets.end()));
    EXPECT_EQ(list("cboVelmiro"), std::vector<std::string>(ratePresets.begin(), ratePresets.end()));
    EXPECT_EQ(narrow(textOf(velmiro.control("cboQuarzo"))), "20.000.000");
    EXPECT_EQ(narrow(textOf(velmiro.control("cboVelmiro"))), "19.200");
}

// The dialog keys: Enter and Escape run nothing, Space toggles the box with the focus.
TEST(Window, KeysAsInADialog) {
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr);
    const auto press = [&velmiro](HWND target, WPARAM key) {
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
        velmiro.settle();
        Sleep(50);  // posted keys come after the sent message that settles
        velmiro.settle();
    };
    const HWND edit = FindWindowExW(velmiro.control("cboQuarzo"), nullptr, L"Edit", nullptr);
    press(edit, VK_RETURN);
    press(edit, VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(velmiro.window()));
    EXPECT_EQ(textOf(velmiro.control("lblSPBRG")), L"");
    press(velmiro.box(1), VK_SPACE);
    EXPECT_EQ(narrow(textOf(velmiro.box(1))), "BRG16: 1");
    // Tab goes from the crystal's field to the rate's.
    const auto focus = [&velmiro] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(velmiro.window(), nullptr), &info);
        return info.hwndFocus;
    };
    press(edit, VK_TAB);
    EXPECT_EQ(GetParent(focus()), velmiro.control("cboVelmiro"));
}

// Where the desktop's highlight-text colour is too dark for the fixed colours,
// the results stand on the base colour, as the form logic rules.
TEST(Window, ResultsStayReadableOnADarkHighlight) {
    HKEY colours = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Colors", 0, nullptr, 0,
                              KEY_READ | KEY_WRITE, nullptr, &colours, nullptr),
              ERROR_SUCCESS);
    const wchar_t* names[] = {L"HilightText", L"Window"};
    const std::wstring dark[] = {L"0 0 0", L"255 255 224"};
    std::wstring before[2];
    for (std::size_t i = 0; i < 2; ++i) {
        wchar_t value[32] = {};
        DWORD size = sizeof value;
        if (RegGetValueW(colours, nullptr, names[i], RRF_RT_REG_SZ, nullptr, value, &size) ==
            ERROR_SUCCESS)
            before[i] = value;
        RegSetValueExW(colours, names[i], 0, REG_SZ, reinterpret_cast<const BYTE*>(dark[i].c_str()),
                       static_cast<DWORD>((dark[i].size() + 1) * sizeof(wchar_t)));
    }
    Paint paint;
    {
        Velmiro velmiro;
        velmiro.clickOn(velmiro.control("cmdCalcola"));
        const HWND result = velmiro.control("lblScostamento");
        for (int tries = 0; tries < 50 && paint.background < 100; ++tries) {
            Sleep(20);
            paint = paintOf(result, {255, 255, 224});
        }
    }
    for (std::size_t i = 0; i < 2; ++i) {
        if (before[i].empty())
            RegDeleteValueW(colours, names[i]);
        else
            RegSetValueExW(colours, names[i], 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(before[i].c_str()),
                           static_cast<DWORD>((before[i].size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(colours);
    EXPECT_GT(paint.background, 100) << "no pixel of the base colour behind the result";
    EXPECT_GT(paint.ink[2], 3) << "no green deviation on it";
}

TEST(Window, ClosingEndsTheProgram) {
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr);
    PostMessageW(velmiro.window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(velmiro.process(), patience), WAIT_OBJECT_0);
    DWORD status = 99;
    GetExitCodeProcess(velmiro.process(), &status);
    EXPECT_EQ(status, 0u);
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fputs("usage: velmiro_driver PATH_TO_VELMIRO_EXE\n", stderr);
        return 2;
    }
    program = argv[1];
    // A path as the build on Linux names it: wine shows the root as drive Z:.
    if (!program.empty() && program[0] == L'/') {
        for (wchar_t& c : program)
            c = c == L'/' ? L'\\' : c;
        program = L"Z:" + program;
    }
    return RUN_ALL_TESTS();
}
