#include "velmiro/link.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace velmiro {

std::optional<Frame> frameFromText(std::string_view text) {
    if (text.size() != 3)
        return std::nullopt;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    Frame frame;
    if (text[0] < '5' || text[0] > '9')
        return std::nullopt;
    frame.dataBits = text[0] - '0';
    switch (upper(text[1])) {
        case 'N':
            frame.parity = Parity::None;
            break;
        case 'E':
            frame.parity = Parity::Even;
            break;
        case 'O':
            frame.parity = Parity::Odd;
            break;
        default:
            return std::nullopt;
    }
    if (text[2] != '1' && text[2] != '2')
        return std::nullopt;
    frame.stopBits = text[2] - '0';
    return frame;
}

std::array<char, 4> frameText(const Frame& frame) {
    constexpr char parities[] = {'N', 'E', 'O'};
    return {static_cast<char>('0' + frame.dataBits), parities[static_cast<int>(frame.parity)],
            static_cast<char>('0' + frame.stopBits), '\0'};
}

Window windowOf(const Sampling& s, int timedBits) {
    // The stop bit's first sample must not fall before the stop bit of a slow
    // transmitter, its middle sample not after the stop bit of a fast one.
    const double bits = static_cast<double>(s.perBit) * (timedBits + 1);
    return {bits / (bits + s.first - 1.0),
            static_cast<double>(s.perBit) * (timedBits + 2) / (bits + s.middle)};
}

namespace {

// The older USART of the PIC16C6X/7X, PIC16F62X and PIC16F627A/628A/648A data
// sheets, 12.1.1 "Sampling": a majority of three. With BRGH = 0 on the 7th,
// 8th and 9th falling edges of a x16 clock, the start edge seen on one of
// them: S_F = 8, S_M = 9. With BRGH = 1 on the three Q clocks before the
// second rising edge of a x4 clock after the first falling edge that sees the
// start bit: 1.5 to 2.5 quarters of a bit after its edge, S_F = S_M = 2.5.
constexpr std::string_view usartSampling =
    "datasheet PIC16F62X (DS40300) e PIC16C7X (DS30390), USART, 12.1.1 Sampling";

struct PicSamplingRow {
    std::string_view family;
    std::string_view mode;
    Sampling sampling;
};
constexpr PicSamplingRow picSamplingRows[] = {
    {"usart", "000", {16, 8.0, 9.0, 3, true, usartSampling}},
    {"usart", "001", {4, 2.5, 2.5, 3, true, usartSampling}},
};

}  // namespace

Sampling picSampling(const Family& family, const ModeInfo& mode) {
    for (const PicSamplingRow& row : picSamplingRows) {
        if (row.family == family.key && row.mode == mode.key)
            return row.sampling;
    }
    // The EUSART's and the UARTs' chapters do not place their samples: the
    // generator's clocks per bit, at most 16. The fractional divider's output
    // is the 16x clock itself, whatever its divisor of 1.
    const int perBit = mode.mode.fractional != 0 ? 16 : std::min<int>(mode.divisor, 16);
    return conservativeSampling(perBit);
}

namespace {

// FTDI AN232B-05 "Configuring FT232R, FT2232 and FT232B Baud Rates", 1.3
// Baud Rate Calculation: 48 MHz / 16 = 3 MHz, divided by n + k/8, n from 2 to
// 16384 (14 bits: 16383 is the largest); n = 0 gives 3 MBd, n = 1 2 MBd, and
// no fraction below 2. The driver loads the closest divisor.
std::optional<AdapterRate> ftdiRate(std::int32_t requested) {
    constexpr double reference = 3000000.0;
    const long long eighths = std::llround(reference * 8.0 / requested);
    if (eighths > 16383 * 8 + 7)
        return std::nullopt;
    if (eighths >= 16)
        return AdapterRate{reference * 8.0 / static_cast<double>(eighths),
                           static_cast<double>(eighths) / 8.0};
    // Below 2 only the two special cases, or 2 itself: the closest rate.
    constexpr std::array<AdapterRate, 3> fast{
        {{3000000.0, 0.0}, {2000000.0, 1.0}, {1500000.0, 2.0}}};
    return *std::min_element(fast.begin(), fast.end(), [requested](const auto& a, const auto& b) {
        return std::fabs(a.achieved - requested) < std::fabs(b.achieved - requested);
    });
}

// CP2104 data sheet, 6.1 Baud Rate Generation, Equations 1 and 2: the clock
// divider 48 MHz / (2 x Prescale x rate) rounded to an integer, Prescale 4 at
// or below 365 bps, else 1; 300 bps to 2 Mbps; the oscillator within +-0.25 %.
std::optional<AdapterRate> cp2104Rate(std::int32_t requested) {
    if (requested < 300 || requested > 2000000)
        return std::nullopt;
    const double clock = 48000000.0 / (2.0 * (requested <= 365 ? 4 : 1));
    const double divider = std::round(clock / requested);
    return AdapterRate{clock / divider, divider};
}

// Silicon Labs AN205 "CP210x Baud Rate Support", Table 1: the CP2102 runs
// one of these fixed rates for every requested rate from `low` to `high`,
// and none outside them.
struct FixedRate {
    std::int32_t low;
    std::int32_t high;
    std::int32_t rate;
};
constexpr FixedRate cp2102Rates[] = {
    {57, 300, 300},           {301, 600, 600},           {601, 1200, 1200},
    {1201, 1800, 1800},       {1801, 2400, 2400},        {2401, 4000, 4000},
    {4001, 4803, 4800},       {4804, 7207, 7200},        {7208, 9612, 9600},
    {9613, 14428, 14400},     {14429, 16062, 16000},     {16063, 19250, 19200},
    {19251, 28912, 28800},    {28913, 38601, 38400},     {38602, 51558, 51200},
    {51559, 56280, 56000},    {56281, 58053, 57600},     {58054, 64111, 64000},
    {64112, 77608, 76800},    {77609, 117028, 115200},   {117029, 129347, 128000},
    {129348, 156868, 153600}, {156869, 237832, 230400},  {237833, 254234, 250000},
    {254235, 273066, 256000}, {273067, 491520, 460800},  {491521, 567138, 500000},
    {567139, 670254, 576000}, {670255, 1053257, 921600},
};

std::optional<AdapterRate> cp2102Rate(std::int32_t requested) {
    for (const FixedRate& row : cp2102Rates) {
        if (requested >= row.low && requested <= row.high)
            return AdapterRate{static_cast<double>(row.rate), std::nullopt};
    }
    return std::nullopt;
}

// Only adapters whose vendor publishes the rule. Neither vendor publishes
// where its receiver samples: the conservative model, at 16 clocks per bit
// where the rule counts 16 (FTDI's 48 MHz / 16).
constexpr std::array<Adapter, 4> adapterTable{{
    {"ft232r", "FT232R", "FTDI AN232B-05", 0.0, conservativeSampling(16), ftdiRate},
    {"ft232b", "FT232B", "FTDI AN232B-05", 0.0, conservativeSampling(16), ftdiRate},
    {"cp2104", "CP2104", "Silicon Labs, data sheet CP2104, 6.1", 0.25, conservativeSampling(16),
     cp2104Rate},
    {"cp2102", "CP2102", "Silicon Labs AN205, tabella 1", 0.0, conservativeSampling(16),
     cp2102Rate},
}};

}  // namespace

std::span<const Adapter> adapters() {
    return adapterTable;
}

const Adapter* findAdapter(std::string_view key) {
    for (const Adapter& adapter : adapterTable) {
        if (std::equal(key.begin(), key.end(), adapter.key.begin(), adapter.key.end(),
                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; }))
            return &adapter;
    }
    return nullptr;
}

Direction directionOf(const LinkEnd& transmitter, const LinkEnd& receiver, const Frame& frame,
                      double marginPercent) {
    Direction d;
    d.ratio = transmitter.achieved / receiver.achieved;
    const double tx = transmitter.clockErrorPercent / 100.0;
    const double rx = receiver.clockErrorPercent / 100.0;
    d.lowest = d.ratio * (1.0 - tx) / (1.0 + rx);
    d.highest = d.ratio * (1.0 + tx) / (1.0 - rx);
    d.window = windowOf(receiver.sampling, frame.timedBits());
    d.marginPercent = std::min(d.lowest - d.window.slow, d.window.fast - d.highest) * 100.0;
    if (d.marginPercent < 0.0)
        d.verdict = LinkVerdict::Fails;
    else if (d.marginPercent < marginPercent)
        d.verdict = LinkVerdict::AtLimit;
    else
        d.verdict = LinkVerdict::Ok;
    return d;
}

std::optional<LinkEnd> picEnd(const Family& family, const ModeResult& mode,
                              double clockErrorPercent) {
    if (mode.mode == nullptr || !mode.achieved || !mode.deviationPercent)
        return std::nullopt;
    return LinkEnd{*mode.achieved, *mode.deviationPercent, clockErrorPercent,
                   picSampling(family, *mode.mode)};
}

std::span<const std::int32_t> standardLinkRates() {
    static constexpr std::array<std::int32_t, 13> rates{
        300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
    return rates;
}

}  // namespace velmiro
