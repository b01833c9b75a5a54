// The five commands of velmiro-cli, over values the command line has read.
// Each writes its answer to `out` and returns the exit status: 0 when every
// rate it was asked about has a mode within tolerance, else 1 with the reason
// on `err`. Advice on a likely slip also goes to `err`.
#pragma once

#include <cstddef>
#include <ostream>

#include "options.h"

namespace velmiro::cli {

struct Streams {
    std::ostream& out;
    std::ostream& err;
    std::size_t width;  // of the terminal `out` goes to; 0 for none
};

int compare(const CompareOptions& options, Streams streams);
int registerCommand(const RegisterOptions& options, Streams streams);
int header(const HeaderOptions& options, Streams streams);
int table(const TableOptions& options, Streams streams);
int crystals(const CrystalsOptions& options, Streams streams);
int link(const LinkOptions& options, Streams streams);

}  // namespace velmiro::cli
