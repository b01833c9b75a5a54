// Drives velmiro.exe as a user does, through window messages from another
// process: it types into the combo boxes, clicks where the check boxes and the
// button are, and reads back what is on screen: texts, the colours the results
// are painted in, captions, enabled states, tooltips and message boxes. Every
// case starts a fresh velmiro.exe.
// Usage: velmiro_driver PATH_TO_VELMIRO_EXE [gtest options]
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "controls.h"
#include "driver.h"
#include "velmiro/form.h"
#include "window_cases.h"

namespace {

using velmiro::form::Rgb;

using namespace driver;

// A running velmiro.exe and what a user can do to its window.
class Velmiro : public Program {
  public:
    Velmiro() : Program(L"", win32::windowClass) {}

    HWND box(int index) const { return control(win32::boxIds[static_cast<std::size_t>(index)]); }
    HWND edit(int combo) const { return FindWindowExW(control(combo), nullptr, L"Edit", nullptr); }
    HWND messageBox() const { return findWindow(process_.dwProcessId, L"#32770", window_); }

    // A click where a control stands reaches whatever takes it there: the control,
    // or the window behind it when the control is disabled.
    void clickOn(HWND target) const {
        RECT place{};
        GetWindowRect(target, &place);
        POINT at{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
        ScreenToClient(window_, &at);
        const HWND hit = ChildWindowFromPointEx(window_, at, CWP_SKIPDISABLED | CWP_SKIPINVISIBLE);
        if (hit == target) {
            SendNotifyMessageW(target, BM_CLICK, 0, 0);
        } else {
            MapWindowPoints(window_, hit, &at, 1);
            SendNotifyMessageW(hit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            SendNotifyMessageW(hit, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        }
        settle();
    }

    void type(int combo, const char* utf8) const { Program::type(control(combo), utf8); }

    // Presses a key on a control: posted, as the keyboard's are, and handled
    // before the window next goes idle.
    void press(HWND target, WPARAM key) const {
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
        WaitForInputIdle(process_.hProcess, patience);
        Sleep(50);
        settle();
    }

    void dismiss(HWND box) const {
        SendNotifyMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        for (int tries = 0; tries < 500 && IsWindow(box); ++tries)
            Sleep(10);
        settle();
    }

    // The tooltip the window shows over a control, asked of its tooltip control
    // with the question in the window's own memory, where the answer is written.
    std::string toolTipOf(HWND tool) const {
        const HWND tips = findWindow(process_.dwProcessId, TOOLTIPS_CLASSW, window_);
        constexpr std::size_t room = 256;
        char* remote = static_cast<char*>(VirtualAllocEx(process_.hProcess, nullptr, 4096,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = window_;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
        WriteProcessMemory(process_.hProcess, remote, &info, sizeof info, nullptr);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(tips, TTM_GETTEXTW, room, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                            patience, &ignored);
        wchar_t tip[room] = {};
        ReadProcessMemory(process_.hProcess, info.lpszText, tip, sizeof tip - 2, nullptr);
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        char bytes[4 * room] = {};
        WideCharToMultiByte(CP_UTF8, 0, tip, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
        return bytes;
    }
};

// The control with the keyboard focus in a window's thread.
HWND focusIn(HWND window) {
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &focus);
    return focus.hwndFocus;
}

// The box's text: its longest static, the one that is not the icon.
std::string promptOf(HWND box) {
    std::string prompt;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (isClass(child, L"Static") && text(child).size() > prompt.size())
            prompt = text(child);
    }
    return prompt;
}

Rgb systemColour(int index) {
    const COLORREF c = GetSysColor(index);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// How many pixels of a control, as the screen shows it, have each colour, and
// last how many it has.
std::vector<int> pixelsOf(HWND control, const std::vector<Rgb>& colours) {
    RECT place{};
    GetWindowRect(control, &place);
    const int width = place.right - place.left, height = place.bottom - place.top;
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    GdiFlush();
    std::vector<int> counts(colours.size() + 1, 0);
    counts.back() = width * height;
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t p = static_cast<const std::uint32_t*>(bits)[i];
        for (std::size_t k = 0; k < colours.size(); ++k) {
            const Rgb& c = colours[k];
            counts[k] += p == (std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue);
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return counts;
}

// The colour a result's text is painted in: 0 the default text colour, 1 blue,
// 2 green, 3 red, -1 none. Read again for a while: painting comes after a change.
int inkOf(HWND result, int expected) {
    const Rgb background = velmiro::form::resultBackground(systemColour(COLOR_HIGHLIGHTTEXT),
                                                           systemColour(COLOR_WINDOW));
    const Rgb candidates[] = {systemColour(COLOR_WINDOWTEXT), systemColour(COLOR_BTNTEXT),
                              systemColour(COLOR_INFOTEXT)};
    const std::vector<Rgb> inks{velmiro::form::resultText(candidates, background),
                                velmiro::form::registerBlue, velmiro::form::withinGreen,
                                velmiro::form::outsideRed};
    int seen = -1;
    for (int tries = 0; tries < 50 && seen != expected; ++tries, Sleep(20)) {
        const std::vector<int> counts = pixelsOf(result, inks);
        seen = -1;
        for (int k = 0; k < 4; ++k) {
            const auto at = [&counts](int i) { return counts[static_cast<std::size_t>(i)]; };
            if (at(k) >= 3 && (seen < 0 || at(k) > at(seen)))
                seen = k;
        }
    }
    return seen;
}

using namespace layout;  // the controls' IDC_ ids
constexpr const ControlId* results = win32::resultIds;

class WindowCases : public testing::TestWithParam<velmiro::cases::WindowCase> {};

TEST_P(WindowCases, RunAsAUserDoes) {
    const velmiro::cases::WindowCase& c = GetParam();
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr) << "velmiro.exe shows no window";
    if (c.before)
        velmiro.clickOn(velmiro.control(IDC_CMDCALCOLA));
    for (const char* digit = c.clicks; *digit != '\0'; ++digit)
        velmiro.clickOn(velmiro.box(*digit - '0'));
    if (c.quarzo != nullptr) {
        velmiro.type(IDC_CBOQUARZO, c.quarzo);
        velmiro.type(IDC_CBOVELMIRO, c.velmiro);
        velmiro.clickOn(velmiro.control(IDC_CMDCALCOLA));
    }

    const HWND box = velmiro.messageBox();
    ASSERT_EQ(box != nullptr, c.box.title != nullptr) << text(box) << ": " << promptOf(box);
    if (box != nullptr) {
        EXPECT_EQ(text(box), c.box.title);
        EXPECT_EQ(promptOf(box), c.box.prompt);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(text(velmiro.control(results[i])), c.results[i])
                << win32::control(results[i]).name;
        velmiro.dismiss(box);
        EXPECT_EQ(velmiro.messageBox(), nullptr);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const HWND result = velmiro.control(results[i]);
        EXPECT_EQ(text(result), c.results[i]) << win32::control(results[i]).name;
        if (*c.results[i] == '\0')
            continue;  // no text, no colour to see
        const int tint = c.tint == velmiro::cases::Tint::Green ? 2
                         : c.tint == velmiro::cases::Tint::Red ? 3
                                                               : 0;
        const int expected = i == 0 ? 1 : i == 2 ? tint : 0;
        EXPECT_EQ(inkOf(result, expected), expected)
            << win32::control(results[i]).name << " painted otherwise";
    }
    for (int i = 0; i < 3; ++i) {
        const bool set = c.boxes[2 * i] == '1';
        EXPECT_EQ(SendMessageW(velmiro.box(i), BM_GETCHECK, 0, 0) == BST_CHECKED, set) << i;
        EXPECT_EQ(IsWindowEnabled(velmiro.box(i)) != FALSE, c.boxes[2 * i + 1] == 'e') << i;
        EXPECT_EQ(text(velmiro.box(i)), velmiro::cases::captions[i][set]);
        EXPECT_EQ(velmiro.toolTipOf(velmiro.box(i)), velmiro::cases::tooltips[i][set]);
    }
}

INSTANTIATE_TEST_SUITE_P(Shared, WindowCases, testing::ValuesIn(velmiro::cases::windowCases),
                         caseName<velmiro::cases::WindowCase>);

// What only this view does: the layout's client size at the window's DPI, not
// resizable, each input right after the label that names it for screen readers,
// the layout's tab order. Then the dialog keys: Enter and Escape run nothing,
// Space toggles the box with the focus, Tab moves on from the crystal's field;
// closing the window ends the program.
TEST(Window, StandsAndAnswersAsADialog) {
    Velmiro velmiro;
    const HWND window = velmiro.window();
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    const int dpi = static_cast<int>(GetDpiForWindow(window));
    EXPECT_EQ(client.right, MulDiv(layout::clientWidth, dpi, 1440));
    EXPECT_EQ(client.bottom, MulDiv(layout::clientHeight, dpi, 1440));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    // A control inside the frame stands where the layout puts it.
    RECT button{};
    GetWindowRect(velmiro.control(IDC_CMDCALCOLA), &button);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(
        button.left,
        MulDiv(win32::control(IDC_FRAME1).left + win32::control(IDC_CMDCALCOLA).left, dpi, 1440));
    HWND tabs[6] = {};
    for (const layout::Control& c : layout::controls) {
        const HWND labelled = c.buddy != 0 ? velmiro.control(c.buddy) : nullptr;
        EXPECT_TRUE(!labelled || GetWindow(labelled, GW_HWNDPREV) == velmiro.control(c.id));
        if (c.tab >= 0)
            tabs[c.tab] = velmiro.control(c.id);
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(GetNextDlgTabItem(window, tabs[i], FALSE), tabs[(i + 1) % 6]) << i;

    // Posted keys are handled in order: once Space has toggled BRG16, Enter and
    // Escape before it have had their (lack of) effect.
    velmiro.press(velmiro.edit(IDC_CBOQUARZO), VK_RETURN);
    velmiro.press(velmiro.edit(IDC_CBOQUARZO), VK_ESCAPE);
    velmiro.press(velmiro.box(1), VK_SPACE);
    velmiro.waitFor([&] { return text(velmiro.box(1)) == "BRG16: 1"; });
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(text(velmiro.control(IDC_LBLSPBRG)), "");
    EXPECT_EQ(text(velmiro.box(1)), "BRG16: 1");
    velmiro.press(velmiro.edit(IDC_CBOQUARZO), VK_TAB);
    const HWND rate = velmiro.control(IDC_CBOVELMIRO);
    velmiro.waitFor([&] { return GetParent(focusIn(window)) == rate; });
    EXPECT_EQ(GetParent(focusIn(window)), rate);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(velmiro.process(), patience), WAIT_OBJECT_0);
    DWORD status = 99;
    GetExitCodeProcess(velmiro.process(), &status);
    EXPECT_EQ(status, 0u);
}

// Among the check boxes, as in a dialog, each key pressed where the focus is:
// Tab reaches them from the fields and leaves them past a locked one, the arrows
// go round the three and pass a locked one, Space toggles the one with the focus.
TEST(Window, CheckBoxesAnswerTheKeyboard) {
    Velmiro velmiro;
    ASSERT_NE(velmiro.window(), nullptr);
    const HWND calcola = velmiro.control(IDC_CMDCALCOLA), none = nullptr;
    const HWND sync = velmiro.box(0), brg16 = velmiro.box(1), brgh = velmiro.box(2);
    const std::pair<WPARAM, HWND> steps[] = {
        {VK_TAB, none},  {VK_TAB, sync},   {VK_DOWN, brg16}, {VK_RIGHT, brgh}, {VK_DOWN, sync},
        {VK_UP, brgh},   {VK_LEFT, brg16}, {VK_UP, sync},    {VK_SPACE, sync}, {VK_UP, brg16},
        {VK_DOWN, sync}, {VK_TAB, brg16},  {VK_TAB, calcola}};
    int step = 0;
    for (const auto& [key, focus] : steps) {
        const HWND before = focusIn(velmiro.window());
        velmiro.press(before, key);
        velmiro.waitFor([&, focus = focus] {
            const HWND now = focusIn(velmiro.window());
            return focus != nullptr ? now == focus : now != before;
        });
        if (focus != nullptr) {
            EXPECT_EQ(focusIn(velmiro.window()), focus) << "step " << step;
        }
        ++step;
    }
    // How Windows' own IsDialogMessage asks for Shift+Tab: the previous tab stop.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(velmiro.window(), WM_NEXTDLGCTL, TRUE, 0, SMTO_NORMAL, patience, &ignored);
    EXPECT_EQ(focusIn(velmiro.window()), brg16);
    EXPECT_EQ(text(sync), "SYNC: 1");  // and so BRGH is locked, passed by the keys
    EXPECT_FALSE(IsWindowEnabled(brgh));
}

// Under a highlight-text colour too dark for the fixed colours, the results
// stand on the base colour, as the form logic rules. wine reads the desktop's
// colours when a program starts.
TEST(Window, ResultsStayReadableOnADarkHighlight) {
    const auto set = [](const wchar_t* name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Colors", name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    // As this driver read them when it started: "R G B".
    const auto now = [](int index) {
        const COLORREF c = GetSysColor(index);
        return std::to_wstring(GetRValue(c)) + L" " + std::to_wstring(GetGValue(c)) + L" " +
               std::to_wstring(GetBValue(c));
    };
    const std::wstring before[] = {now(COLOR_HIGHLIGHTTEXT), now(COLOR_WINDOW)};
    set(L"HilightText", L"0 0 0");
    set(L"Window", L"255 255 224");
    std::vector<int> counts{0, 0, 1};
    {
        Velmiro velmiro;
        velmiro.clickOn(velmiro.control(IDC_CMDCALCOLA));
        for (int tries = 0; tries < 50 && (counts[0] * 2 < counts[2] || counts[1] <= 3);
             ++tries, Sleep(20))
            counts = pixelsOf(velmiro.control(IDC_LBLSCOSTAMENTO),
                              {{255, 255, 224}, velmiro::form::withinGreen});
    }
    set(L"HilightText", before[0]);
    set(L"Window", before[1]);
    EXPECT_GT(counts[0] * 2, counts[2]) << "the base colour is not behind the result";
    EXPECT_GT(counts[1], 3) << "no green deviation on it";
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    // Places and colours in the screen's own pixels, whatever its scale.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc < 2) {
        std::fputs("usage: velmiro_driver PATH_TO_VELMIRO_EXE [gtest options]\n", stderr);
        return 2;
    }
    // A path as the build on Linux names it: wine shows the root as drive Z:.
    program = argv[1];
    if (program.front() == L'/') {
        std::replace(program.begin(), program.end(), L'/', L'\\');
        program = L"Z:" + program;
    }
    return RUN_ALL_TESTS();
}
