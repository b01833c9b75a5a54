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

// A shared case's name as a test's name.
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

}  // namespace driver
