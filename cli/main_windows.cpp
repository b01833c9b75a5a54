// The Windows entry point. Arguments arrive as UTF-16 and go on as UTF-8, whatever the ANSI
// code page; the output bytes reach pipe, file or console unchanged, so that a run prints
// byte for byte what it prints on Linux.
#ifndef NOMINMAX  // mingw's libstdc++ defines it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "velmiro_cli.h"

namespace {

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();  // the terminating null
    return bytes;
}

// The console window outlives the program and others print to it after us: its code page
// is UTF-8 for this run only. Without a console there is nothing to set.
class Utf8Console {
  public:
    Utf8Console() : previous_(GetConsoleOutputCP()) {
        if (previous_ != 0)
            SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (previous_ != 0)
            SetConsoleOutputCP(previous_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT previous_;
};

// The console window's width when stdout is one; 0 for a pipe or a file.
std::size_t consoleWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0)
        return 0;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    const Utf8Console console;
    // Text mode would write "\n" as CR LF, and CSV's own CR LF as CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::ios::sync_with_stdio(false);

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(utf8(argv[i]));
    const int status = velmiro::cli::run(args, std::cout, std::cerr, consoleWidth());
    // The console turns bytes into characters as they are written: all of them go out
    // while its code page is still UTF-8.
    std::cout.flush();
    std::cerr.flush();
    return status;
}
