#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

#include "velmiro_cli.h"

namespace {

// The terminal's width when stdout is one; 0 for a pipe or a file, which get every column.
std::size_t terminalWidth() {
    winsize size{};
    if (isatty(STDOUT_FILENO) == 0 || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return velmiro::cli::run(args, std::cout, std::cerr, terminalWidth());
}
