// Both ends of a serial link: the PIC and what it talks to (a USB-serial
// adapter, another PIC, an exact rate). Each end transmits at its own rate
// and receives through its own sampling; a direction works while the
// transmitter's rate over the receiver's stays inside the receiver's window,
// both clocks' errors included. Standard C++ only, no I/O.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "velmiro/calc.h"

namespace velmiro {

// ---------------------------------------------------------------- the frame

enum class Parity { None, Even, Odd };

struct Frame {
    int dataBits = 8;  // 5 to 9
    Parity parity = Parity::None;
    int stopBits = 1;  // 1 or 2

    // D of the window: the data bits and the parity bit, the bits between
    // the start bit and the stop bit that the receiver times.
    [[nodiscard]] int timedBits() const { return dataBits + (parity == Parity::None ? 0 : 1); }
};

// "8N1", "7e1", "9N2": data bits 5-9, N, E or O in any case, 1 or 2 stop bits.
[[nodiscard]] std::optional<Frame> frameFromText(std::string_view text);

// "8N1".
[[nodiscard]] std::array<char, 4> frameText(const Frame& frame);

// ---------------------------------------------------------------- the receiver

// How a receiver samples a bit: S clocks per bit, and where in the bit the
// first and the middle sample fall, counted as the window formula counts
// them (a sample numbered k lies between k - 1 and k clocks after the bit's
// true edge, the start edge being seen up to one clock late).
struct Sampling {
    int perBit = 16;      // S
    double first = 9.0;   // S_F
    double middle = 9.0;  // S_M
    int samples = 1;      // 1, or 3 for a majority of three
    bool documented = false;
    std::string_view source;  // the document, or empty for the conservative model
};

// Where a document does not say: one sample at the middle of the bit, seen
// up to one clock late after the start edge, S clocks per bit.
[[nodiscard]] constexpr Sampling conservativeSampling(int perBit) {
    const double middle = perBit / 2 + 1.0;
    return {perBit, middle, middle, 1, false, {}};
}

// The rates a receiver accepts, as the ratio of the incoming rate to its own:
//   R_slow = S(D + 1) / (S(D + 1) + S_F - 1),  R_fast = S(D + 2) / (S(D + 1) + S_M).
struct Window {
    double slow = 0.0;
    double fast = 0.0;
};
[[nodiscard]] Window windowOf(const Sampling& sampling, int timedBits);

// How a PIC receives in one of its family's asynchronous modes.
[[nodiscard]] Sampling picSampling(const Family& family, const ModeInfo& mode);

// ---------------------------------------------------------------- adapters

// What an adapter makes of a requested rate: the rate it really runs at
// and, where its rule has one, the divisor it loads.
struct AdapterRate {
    double achieved = 0.0;
    std::optional<double> divisor;
};

struct Adapter {
    std::string_view key;            // "ft232r": what --peer takes
    std::string_view name;           // "FT232R"
    std::string_view source;         // where its rule is published
    double clockErrorPercent = 0.0;  // its oscillator's published accuracy, else 0
    Sampling sampling;
    // None for a rate it cannot produce.
    std::optional<AdapterRate> (*rateFor)(std::int32_t requested) = nullptr;
};

[[nodiscard]] std::span<const Adapter> adapters();
// By key, in any case; nullptr for none.
[[nodiscard]] const Adapter* findAdapter(std::string_view key);

// ---------------------------------------------------------------- the answer

// One end as it transmits and receives: its rate, how far that is from the
// rate asked for, its clock's error and its sampling.
struct LinkEnd {
    double achieved = 0.0;
    double deviationPercent = 0.0;
    double clockErrorPercent = 0.0;
    Sampling sampling;
};

// "al limite" is a direction inside the window by less than the margin asked for.
enum class LinkVerdict { Ok, AtLimit, Fails };

struct Direction {
    double ratio = 0.0;  // transmitter's rate / receiver's rate
    // The ratio at the two worst cases of both clocks' errors.
    double lowest = 0.0;
    double highest = 0.0;
    Window window;
    // How far the worst case stays inside the window, in percent of the
    // receiver's rate; negative outside it.
    double marginPercent = 0.0;
    LinkVerdict verdict = LinkVerdict::Fails;
};

[[nodiscard]] Direction directionOf(const LinkEnd& transmitter, const LinkEnd& receiver,
                                    const Frame& frame, double marginPercent);

// A PIC end in the mode a comparison chose, judged against a rate; none
// when the result has no rate.
[[nodiscard]] std::optional<LinkEnd> picEnd(const Family& family, const ModeResult& mode,
                                            double clockErrorPercent);

// The rates the all-rates form tries, lowest first.
[[nodiscard]] std::span<const std::int32_t> standardLinkRates();

}  // namespace velmiro
