// Feeds arbitrary argument lists (NUL-separated) to the whole command line.
// Every list ends in status 0, 1 or 2, and a 2 leaves stdout empty and says
// why on stderr; a crash or a sanitizer report is a finding.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "velmiro_cli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() <= 16; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    std::ostringstream out, err;
    const int status = velmiro::cli::run(args, out, err);
    if (status < 0 || status > 2 || (status == 2 && (!out.str().empty() || err.str().empty())))
        std::abort();
    return 0;
}
