#include <iostream>

#include "velmiro_cli.h"

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return velmiro::cli::run(args, std::cout, std::cerr);
}
