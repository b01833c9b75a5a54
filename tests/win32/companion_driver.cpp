// Drives "Velmiro – tutti i modi" of velmiro.exe (started with --modi) through
// window messages, as a user does: the shared companion cases, and the time a
// keystroke takes to update all three tabs.
#include "driver.h"  // first: <windows.h> before the other Windows headers

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "companion_cases.h"
#include "companion_ids.h"
#include "controls.h"

namespace {

using namespace driver;
using velmiro::companion::Field;
using velmiro::companion::Tab;

// velmiro.exe and its companion; `fresh`: nothing kept from an earlier companion.
class CompanionProcess : public Program {
  public:
    explicit CompanionProcess(const wchar_t* arguments = L" --modi", bool fresh = true)
        : Program(arguments, forget(fresh) && *arguments != L'\0' ? win32::companionClass
                                                                  : win32::windowClass) {}
    static bool forget(bool fresh) {
        if (fresh)
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmiro\\companion");
        return true;
    }

    HWND list(Tab tab) const { return control(win32::IDC_C_LIST_MODES + static_cast<int>(tab)); }
    void type(Field field, const char* utf8) const {
        Program::type(control(win32::IDC_C_CRYSTAL + static_cast<int>(field)), utf8);
    }

    // An entry of the Periferica's list, chosen as the list says it was.
    void chooseFamily(int index) const {
        const HWND family = control(win32::IDC_C_FAMILY);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(family, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL,
                            patience, &ignored);
        SendMessageTimeoutW(window_, WM_COMMAND, MAKEWPARAM(win32::IDC_C_FAMILY, CBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(family), SMTO_NORMAL, patience, &ignored);
    }

    void click(int id) const {
        SendNotifyMessageW(control(id), BM_CLICK, 0, 0);
        settle();
    }

    int rows(Tab tab) const {
        return static_cast<int>(SendMessageW(list(tab), LVM_GETITEMCOUNT, 0, 0));
    }
    // A list's column titles (row -1), or one row's texts, joined by '|': asked
    // with the question in the program's own memory, where the answer is written.
    std::string row(Tab tab, int row) const {
        constexpr int room = 256;
        char* remote = static_cast<char*>(VirtualAllocEx(process_.hProcess, nullptr, 4096,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        auto* buffer = reinterpret_cast<wchar_t*>(remote + 512);
        std::string all;
        for (int column = 0;; ++column) {
            DWORD_PTR answered = 0;
            if (row < 0) {
                LVCOLUMNW info{};
                info.mask = LVCF_TEXT;
                info.pszText = buffer;
                info.cchTextMax = room;
                WriteProcessMemory(process_.hProcess, remote, &info, sizeof info, nullptr);
                SendMessageTimeoutW(list(tab), LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                                    reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, patience,
                                    &answered);
                if (answered == 0)
                    break;
            } else {
                const HWND header =
                    reinterpret_cast<HWND>(SendMessageW(list(tab), LVM_GETHEADER, 0, 0));
                if (column >= static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)))
                    break;
                LVITEMW info{};
                info.iSubItem = column;
                info.pszText = buffer;
                info.cchTextMax = room;
                WriteProcessMemory(process_.hProcess, remote, &info, sizeof info, nullptr);
                SendMessageTimeoutW(list(tab), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                    reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, patience,
                                    &answered);
            }
            wchar_t cell[room] = {};
            ReadProcessMemory(process_.hProcess, buffer, cell, sizeof cell - 2, nullptr);
            char bytes[4 * room] = {};
            WideCharToMultiByte(CP_UTF8, 0, cell, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
            if (column > 0)
                all.push_back('|');
            all.append(bytes);
        }
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        return all;
    }
};

std::string withoutCr(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

class CompanionCases : public testing::TestWithParam<velmiro::cases::CompanionCase> {};

// The cases the logic's and the Qt companion's tests run; the bold cells are
// drawn, not read back, and are left to those.
TEST_P(CompanionCases, RunAsAUserDoes) {
    const velmiro::cases::CompanionCase& c = GetParam();
    CompanionProcess companion;
    ASSERT_NE(companion.window(), nullptr) << "velmiro.exe --modi shows no companion";
    if (c.family != nullptr)
        companion.chooseFamily(velmiro::cases::familyIndex(c.family));
    if (c.sync)
        companion.click(win32::IDC_C_SYNC);
    for (const velmiro::cases::Typed& typed : c.typed) {
        if (typed.text != nullptr)
            companion.type(typed.field, typed.text);
    }
    EXPECT_EQ(withoutCr(text(companion.control(win32::IDC_C_LINE_INPUTS))), c.inputsLine);
    EXPECT_EQ(IsWindowEnabled(companion.control(win32::IDC_C_SYNC)) != FALSE, c.syncEnabled);
    EXPECT_EQ(text(companion.control(win32::IDC_C_HEADER)), c.header);
    EXPECT_EQ(IsWindowEnabled(companion.control(win32::IDC_C_HEADER)) != FALSE, c.headerEnabled);
    if (c.headers != nullptr) {
        EXPECT_EQ(companion.row(c.tab, -1), c.headers);
    }
    EXPECT_EQ(companion.rows(c.tab), c.rows);
    if (c.cells != nullptr) {
        EXPECT_EQ(companion.row(c.tab, c.row), c.cells);
    }
}

INSTANTIATE_TEST_SUITE_P(Shared, CompanionCases, testing::ValuesIn(velmiro::cases::companionCases),
                         [](const auto& param) {
                             std::string name = param.param.name;
                             for (char& ch : name)
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

// A keystroke in Quarzo, from the key to all three tabs filled again: the time
// the program takes to answer it, the median of typing a crystal twice over.
TEST(Companion, AKeystrokeUpdatesEveryTab) {
    CompanionProcess companion;
    ASSERT_NE(companion.window(), nullptr);
    const HWND field =
        FindWindowExW(companion.control(win32::IDC_C_CRYSTAL), nullptr, L"Edit", nullptr);
    std::vector<double> times;
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(field, EM_SETSEL, 0, -1, SMTO_NORMAL, patience, &ignored);
        for (wchar_t key : std::wstring(L"11059200")) {
            const auto start = std::chrono::steady_clock::now();
            SendMessageTimeoutW(field, WM_CHAR, key, 1, SMTO_NORMAL, patience, &ignored);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("a keystroke in Quarzo: median %.2f ms, slowest %.2f ms (%zu keys)\n",
                times[times.size() / 2], times.back(), times.size());
    EXPECT_EQ(companion.rows(Tab::Modes), 6);  // 11.059.200 Hz, 19.200 baud: every tab filled
    EXPECT_GT(companion.rows(Tab::Table), 0);
}

// What the companion keeps in the registry comes back as typed; a value of
// another type than its own is ignored for the default.
TEST(Companion, KeepsItsSettingsInTheRegistry) {
    const auto key = [](Field f) {
        return wide(velmiro::companion::settings()[static_cast<std::size_t>(f)].key);
    };
    RECT kept{}, again{};
    {
        CompanionProcess companion;
        ASSERT_NE(companion.window(), nullptr);
        companion.type(Field::Tolerance, "2,5");
        companion.type(Field::Prefix, "UART_");
        SetWindowPos(companion.window(), nullptr, 0, 0, 1000, 760, SWP_NOMOVE | SWP_NOZORDER);
        companion.settle();
        GetClientRect(companion.window(), &kept);
        companion.close();
    }
    const DWORD garbled = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmiro\\companion", key(Field::Prefix).c_str(),
                    REG_DWORD, &garbled, sizeof garbled);
    CompanionProcess reopened(L" --quarzi", false);
    ASSERT_NE(reopened.window(), nullptr);
    const auto shown = [&](Field f) {
        return text(reopened.control(win32::IDC_C_CRYSTAL + static_cast<int>(f)));
    };
    EXPECT_EQ(shown(Field::Tolerance), "2,5");
    EXPECT_EQ(shown(Field::Prefix), "VELMIRO_");
    EXPECT_EQ(SendMessageW(reopened.control(win32::IDC_C_TABS), TCM_GETCURSEL, 0, 0), 2);
    GetClientRect(reopened.window(), &again);
    EXPECT_EQ(again.right, kept.right);
    EXPECT_EQ(again.bottom, kept.bottom);
    // A Periferica chosen counts at once, with nothing typed after it.
    reopened.chooseFamily(velmiro::cases::familyIndex("pic32"));
    EXPECT_FALSE(IsWindowEnabled(reopened.control(win32::IDC_C_SYNC)));
}

// F3 in the main window opens the companion on Tabella with the window's
// crystal; F2 brings the same one forward, on Modi.
TEST(Companion, FunctionKeysOfTheWindowOpenOneCompanion) {
    CompanionProcess velmiro(L"");
    const HWND main = velmiro.window();
    ASSERT_NE(main, nullptr);
    const HWND crystal =
        FindWindowExW(GetDlgItem(main, layout::IDC_CBOQUARZO), nullptr, L"Edit", nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(crystal, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"16.000.000"),
                        SMTO_NORMAL, patience, &ignored);
    HWND companions[2] = {};
    for (const WPARAM key : {WPARAM{VK_F3}, WPARAM{VK_F2}}) {
        PostMessageW(crystal, WM_KEYDOWN, key, 1);
        companions[key - VK_F2] = velmiro.find(win32::companionClass);
        ASSERT_NE(companions[key - VK_F2], nullptr) << "F" << key - VK_F1 + 1;
        const LRESULT tab = key == VK_F3 ? 1 : 0;
        const auto shown = [&] {
            return SendMessageW(velmiro.control(win32::IDC_C_TABS), TCM_GETCURSEL, 0, 0);
        };
        velmiro.waitFor([&] { return shown() == tab; });  // F2 finds the companion open
        EXPECT_EQ(shown(), tab);
    }
    EXPECT_EQ(companions[0], companions[1]) << "a second companion";
    EXPECT_EQ(text(velmiro.control(win32::IDC_C_CRYSTAL)), "16.000.000");
}

}  // namespace
