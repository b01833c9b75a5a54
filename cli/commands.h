// The five commands of velmiro-cli, over texts their validators have let
// through. Each writes its answer to `out` and returns the exit status: 0
// when every rate it was asked about has a mode within tolerance, else 1 with
// the reason on `err`. Advice on a likely slip also goes to `err`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmiro::cli {

// The options every command that judges a rate shares, as typed.
struct Common {
    std::string mode;
    bool sync = false;
    std::string tolerance = "1";
    std::string clockError = "0";
    std::string format = "text";
};

struct Streams {
    std::ostream& out;
    std::ostream& err;
};

int compare(const std::string& crystal, const std::string& rate, const Common& common,
            Streams streams);

int registerCommand(const std::string& crystal, const std::string& n, const std::string& rate,
                    const Common& common, Streams streams);

int header(const std::string& crystal, const std::string& rate, const std::string& prefix,
           const Common& common, Streams streams);

int table(const std::string& crystal, const std::vector<std::string>& rates, const Common& common,
          Streams streams);

int crystals(const std::vector<std::string>& rates, const std::string& minimum,
             const std::string& maximum, const Common& common, Streams streams);

}  // namespace velmiro::cli
