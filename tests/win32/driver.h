// What the drivers of velmiro.exe's windows share: the program's path, the
// patience for any answer, and reading another process's windows.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <string>

namespace driver {

inline std::wstring program;             // velmiro.exe, as Windows names it
inline constexpr UINT patience = 10000;  // ms for any one answer of the window

inline std::wstring wide(const char* utf8) {
    wchar_t buffer[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer, 255);
    return buffer;
}

// The text of another process's window, as UTF-8: WM_GETTEXT, which Windows
// carries across processes.
inline std::string text(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_NORMAL, patience, &length);
    char bytes[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), bytes, sizeof bytes - 1,
                        nullptr, nullptr);
    return bytes;
}

inline bool isClass(HWND window, const wchar_t* kind) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name) == kind;
}

// The window of a process with a class, owned by `owner` if given.
inline HWND findWindow(DWORD process, const wchar_t* kind, HWND owner = nullptr) {
    struct Search {
        DWORD process;
        const wchar_t* kind;
        HWND owner, found;
    } search{process, kind, owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != s.process || !isClass(window, s.kind) ||
                (s.owner != nullptr && GetWindow(window, GW_OWNER) != s.owner))
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A running velmiro.exe, started with `arguments` (each after a space), its shown
// window of class `kind` found; ended at the end, the quickest way: closing is a
// case of its own.
class Program {
  public:
    Program(const wchar_t* arguments, const wchar_t* kind) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring line = L"\"" + program + L"\"" + arguments;
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_))
            return;
        WaitForInputIdle(process_.hProcess, patience);
        find(kind);
    }
    ~Program() {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, patience);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND window() const { return window_; }
    HANDLE process() const { return process_.hProcess; }
    HWND control(int id) const { return GetDlgItem(window_, id); }

    // Waits for the program's window of a class to show, and takes it as its window.
    HWND find(const wchar_t* kind) {
        window_ = nullptr;
        for (int tries = 0; tries < 500 && window_ == nullptr; ++tries, Sleep(20)) {
            window_ = findWindow(process_.dwProcessId, kind);
            if (window_ != nullptr && !IsWindowVisible(window_))
                window_ = nullptr;
        }
        settle();
        return window_;
    }

    // Waits, up to patience, for `done` to hold: a posted key is handled when the
    // program next reads its queue, which may be after a message sent later.
    template <class Done>
    void waitFor(Done done) const {
        for (UINT waited = 0; !done() && waited < patience; waited += 10)
            Sleep(10);
        settle();
    }

    // Returns once the window has handled everything sent to it before: sent
    // messages are handled in order, and a message box's own loop handles them too.
    void settle() const {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, patience, &ignored);
    }

    // Selects a field's text and types over it, a character at a time;
    // Backspace clears it. A combo box's field is its edit.
    void type(HWND field, const char* utf8) const {
        if (const HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr))
            field = edit;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(field, EM_SETSEL, 0, -1, SMTO_NORMAL, patience, &ignored);
        const std::wstring keys = *utf8 != '\0' ? wide(utf8) : L"\b";
        for (wchar_t key : keys)
            SendMessageTimeoutW(field, WM_CHAR, key, 1, SMTO_NORMAL, patience, &ignored);
        settle();
    }

    void close() const {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        WaitForSingleObject(process_.hProcess, patience);
    }

  protected:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// A shared case's name as a test's name.
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

}  // namespace driver
