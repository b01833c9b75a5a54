// What each command of velmiro-cli is given, as typed values. The command
// line fills these (wiring.cpp, through the readings of arguments.cpp); the
// commands read them as they are. No CLI11 here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velmiro/link_report.h"
#include "velmiro/report.h"

namespace velmiro::cli {

// A frequency or a rate, with the text it was typed as: advice quotes it.
struct Quantity {
    // Not an aggregate: CLI11 would otherwise build one from the bare text.
    Quantity() = default;

    std::string typed;
    std::int32_t value = 0;

    // Takes a text the quantity validator has let through.
    Quantity& operator=(const std::string& text);
};

// The options of every command that judges a rate.
struct Judging {
    report::Port port;  // the family, and the part when one is named
    std::string mode;   // a key of the family's modes, or empty for every mode
    bool sync = false;
    double tolerance = 1.0;
    double clockError = 0.0;
    report::Format format = report::Format::Text;
};

struct CompareOptions {
    Quantity crystal;
    Quantity rate;
    Judging judging;
};

struct RegisterOptions {
    Quantity crystal;
    std::int64_t n = 0;
    std::optional<Quantity> rate;  // without it nothing is judged
    Judging judging;
};

struct HeaderOptions {
    Quantity crystal;
    Quantity rate;
    std::string prefix = "VELMIRO_";
    Judging judging;
};

struct TableOptions {
    Quantity crystal;
    std::vector<Quantity> rates;  // empty: the default rates
    Judging judging;
};

struct CrystalsOptions {
    std::vector<Quantity> rates;
    std::optional<Quantity> minimum;
    std::optional<Quantity> maximum;
    Judging judging;
};

// link: the PIC as compare takes it, and the other end.
struct LinkOptions {
    Quantity crystal;
    std::vector<Quantity> rates;  // one: the answer in detail; none: the standard rates
    std::string peerName;         // --peer as typed
    std::optional<Quantity> peerClock;
    std::optional<double> peerClockError;
    std::string frame = "8N1";
    double margin = 1.0;
    report::Peer peer;  // what --peer names, resolved by the command line
    Judging judging;
};

}  // namespace velmiro::cli
