// velmiro-cli as a function: the arguments after the program name in, the
// exit status out (0 within tolerance, 1 an answer outside it, 2 bad usage).
// Nothing reaches `out` unless the status is 0 or 1.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace velmiro::cli {

// `width` is the terminal's width when `out` is one, else 0: compare's and
// register's text leave out the columns that would not fit.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        std::size_t width = 0);

}  // namespace velmiro::cli
