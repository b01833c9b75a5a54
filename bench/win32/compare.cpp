// Starts Windows programs in turn and reports, for each, the time from its start
// until its window was first painted, with the ratio to the first program, the
// baseline, and from the third on to the one before it. Painted means: its
// window is visible and its thread has gone idle waiting for input, which it
// does only once the paint that ShowWindow and UpdateWindow asked for is done.
// Usage: startup_compare [--runs N] BASELINE.exe PROGRAM.exe...
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

double now() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Visible {
    DWORD process;
    bool found;
};

BOOL CALLBACK findVisible(HWND window, LPARAM data) {
    auto& v = *reinterpret_cast<Visible*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == v.process && IsWindowVisible(window)) {
        v.found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from start to first paint of one run.
double launch(const std::wstring& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + program + L"\"";
    const double start = now();
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        throw std::runtime_error("cannot start a program");
    Visible visible{process.dwProcessId, false};
    double painted = 0;
    while (painted == 0 && now() - start < 20000) {
        WaitForInputIdle(process.hProcess, 20000);
        visible.found = false;
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&visible));
        if (visible.found)
            painted = now();
        else
            Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (painted == 0)
        throw std::runtime_error("a program showed no window");
    return painted - start;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    int runs = 20;
    std::vector<std::wstring> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--runs") == 0 && i + 1 < argc)
            runs = std::max(1, _wtoi(argv[++i]));
        else
            programs.emplace_back(argv[i]);
    }
    if (programs.size() < 2) {
        std::fputs("usage: startup_compare [--runs N] BASELINE.exe PROGRAM.exe...\n", stderr);
        return 2;
    }
    std::vector<std::vector<double>> times(programs.size());
    try {
        for (const auto& program : programs)
            launch(program);  // warms the file cache and wine's
        for (int run = 0; run < runs; ++run) {
            // Rotate who goes first, so that no program always follows the same one.
            for (std::size_t k = 0; k < programs.size(); ++k) {
                const std::size_t p = (static_cast<std::size_t>(run) + k) % programs.size();
                times[p].push_back(launch(programs[p]));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const double base = median(times[0]);
    for (std::size_t p = 0; p < programs.size(); ++p) {
        const double m = median(times[p]);
        std::printf("%-24ls median %7.1f ms  min %7.1f ms  %.2fx",
                    programs[p].substr(programs[p].find_last_of(L"\\/") + 1).c_str(), m,
                    *std::min_element(times[p].begin(), times[p].end()), m / base);
        if (p > 1)
            std::printf("  %.2fx the one before", m / median(times[p - 1]));
        std::printf("\n");
    }
    return 0;
}
