#include "velmiro/link.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace velmiro {
namespace {

// Each adapter's rule: the rate it really runs at, and the divisor it loads.
TEST(Link, AdapterRules) {
    struct Case {
        std::string_view adapter;
        std::int32_t requested;
        std::optional<double> achieved;  // none: the adapter cannot run it
        std::optional<double> divisor;
    };
    const Case cases[] = {
        // FTDI AN232B-05: 3 MHz / (n + k/8), n = 0 and 1 special, nothing between 1 and 2.
        {"ft232r", 115200, 3000000.0 / 26, 26.0},
        {"FT232R", 921600, 3000000.0 / 3.25, 3.25},
        {"ft232r", 490000, 3000000.0 / 6.125, 6.125},
        {"ft232r", 3000000, 3000000.0, 0.0},
        {"ft232r", 2400000, 2000000.0, 1.0},
        {"ft232r", 1600000, 1500000.0, 2.0},
        {"ft232b", 184, 3000000.0 / (130435 / 8.0), 130435 / 8.0},
        {"ft232r", 183, std::nullopt, std::nullopt},
        // CP2104: 24 MHz / an integer, 6 MHz at or below 365 bps; 300 bps to 2 Mbps.
        {"cp2104", 115200, 24000000.0 / 208, 208.0},
        {"cp2104", 365, 6000000.0 / 16438, 16438.0},
        {"cp2104", 366, 24000000.0 / 65574, 65574.0},
        {"cp2104", 299, std::nullopt, std::nullopt},
        {"cp2104", 2000001, std::nullopt, std::nullopt},
        // CP2102: AN205's fixed rates, by range.
        {"cp2102", 115200, 115200.0, std::nullopt},
        {"cp2102", 77609, 115200.0, std::nullopt},
        {"cp2102", 117029, 128000.0, std::nullopt},
        {"cp2102", 1053257, 921600.0, std::nullopt},
        {"cp2102", 57, 300.0, std::nullopt},
        {"cp2102", 56, std::nullopt, std::nullopt},
        {"cp2102", 1053258, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const Adapter* adapter = findAdapter(c.adapter);
        ASSERT_NE(adapter, nullptr) << c.adapter;
        const std::optional<AdapterRate> rate = adapter->rateFor(c.requested);
        ASSERT_EQ(rate.has_value(), c.achieved.has_value()) << c.adapter << ' ' << c.requested;
        if (!rate)
            continue;
        EXPECT_DOUBLE_EQ(rate->achieved, *c.achieved) << c.adapter << ' ' << c.requested;
        EXPECT_EQ(rate->divisor, c.divisor) << c.adapter << ' ' << c.requested;
    }
    EXPECT_EQ(findAdapter("ft232"), nullptr);
    EXPECT_EQ(findAdapter("mcp2221"), nullptr);  // no published rule
}

// The published windows: 16 and 8 samples per bit, majority of three, by D.
TEST(Link, WindowFormula) {
    struct Case {
        Sampling sampling;
        int timedBits;
        double slow, fast;  // percent, to two decimals
    };
    const Sampling normal{16, 8.0, 9.0, 3, true, {}};
    const Sampling doubled{8, 4.0, 5.0, 3, true, {}};
    const Case cases[] = {
        {normal, 8, 95.36, 104.58},
        {normal, 5, 93.20, 106.67},
        {normal, 10, 96.17, 103.78},
        {doubled, 8, 96.00, 103.90},
        {doubled, 10, 96.70, 103.23},
        // One sample in the middle: 9 of 16, 3 of 4.
        {conservativeSampling(16), 8, 94.74, 104.58},
        {conservativeSampling(4), 8, 94.74, 102.56},
    };
    for (const Case& c : cases) {
        const Window w = windowOf(c.sampling, c.timedBits);
        EXPECT_NEAR(w.slow * 100.0, c.slow, 0.005) << c.sampling.perBit << ' ' << c.timedBits;
        EXPECT_NEAR(w.fast * 100.0, c.fast, 0.005) << c.sampling.perBit << ' ' << c.timedBits;
    }
}

TEST(Link, Frames) {
    struct Case {
        std::string_view text;
        std::optional<int> timedBits;
        std::string_view written = {};
    };
    const Case cases[] = {
        {"8N1", 8, "8N1"}, {"7e1", 8, "7E1"}, {"9O2", 10, "9O2"}, {"5n1", 5, "5N1"},
        {"4N1", {}},       {"8X1", {}},       {"8N3", {}},        {"8N", {}},
        {"10N1", {}},      {"", {}},          {"8N0", {}},
    };
    for (const Case& c : cases) {
        const std::optional<Frame> frame = frameFromText(c.text);
        ASSERT_EQ(frame.has_value(), c.timedBits.has_value()) << c.text;
        if (!frame)
            continue;
        EXPECT_EQ(frame->timedBits(), *c.timedBits) << c.text;
        EXPECT_EQ(std::string(frameText(*frame).data()), c.written) << c.text;
    }
}

// Where the PIC family's data sheet places its samples, and the conservative
// model where it does not.
TEST(Link, PicSampling) {
    const Family& usart = *findFamily("usart");
    EXPECT_EQ(picSampling(usart, *findMode(usart, "000")).samples, 3);
    EXPECT_EQ(picSampling(usart, *findMode(usart, "001")).perBit, 4);
    EXPECT_TRUE(picSampling(usart, *findMode(usart, "001")).documented);
    const Sampling fast = picSampling(eusart(), *findMode(eusart(), "011"));
    EXPECT_FALSE(fast.documented);
    EXPECT_EQ(fast.perBit, 4);
    EXPECT_EQ(picSampling(eusart(), *findMode(eusart(), "000")).perBit, 16);
}

// Both directions of a pair: the worked PIC16F877A against an FT232R, a pair
// at the limit, one that fails, and the clocks' errors taken in the worst case.
TEST(Link, Directions) {
    const Sampling ftdi = findAdapter("ft232r")->sampling;
    const Sampling usart16 =
        picSampling(*findFamily("usart"), *findMode(*findFamily("usart"), "001"));
    const LinkEnd pic{20000000.0 / 176, -1.3573, 0.0, usart16};
    const LinkEnd ft{3000000.0 / 26, 0.16, 0.0, ftdi};
    const Frame f8n1{};
    const Direction out = directionOf(pic, ft, f8n1, 1.0);
    EXPECT_NEAR(out.ratio * 100.0, 98.48, 0.005);
    EXPECT_EQ(out.verdict, LinkVerdict::Ok);
    const Direction in = directionOf(ft, pic, f8n1, 1.0);
    EXPECT_NEAR(in.ratio * 100.0, 101.54, 0.005);
    EXPECT_NEAR(in.marginPercent, 103.896 - 101.538, 0.005);
    EXPECT_EQ(in.verdict, LinkVerdict::Ok);

    struct Case {
        double rate;  // of the transmitter; the receiver runs 100000
        double txError, rxError;
        double margin;  // asked for
        LinkVerdict verdict;
    };
    const Case cases[] = {
        {103000.0, 0.0, 0.0, 1.0, LinkVerdict::Ok},       // 1,58 inside
        {104000.0, 0.0, 0.0, 1.0, LinkVerdict::AtLimit},  // 0,58 inside
        {104000.0, 0.0, 0.0, 0.5, LinkVerdict::Ok},
        {105000.0, 0.0, 0.0, 1.0, LinkVerdict::Fails},
        {103000.0, 1.0, 0.0, 1.0, LinkVerdict::AtLimit},  // the errors eat the margin
        {103000.0, 0.0, 1.0, 1.0, LinkVerdict::AtLimit},
        {96000.0, 0.0, 0.0, 1.0, LinkVerdict::Ok},
        {95500.0, 0.0, 0.0, 1.0, LinkVerdict::AtLimit},
        {95000.0, 0.0, 1.0, 1.0, LinkVerdict::Fails},
    };
    for (const Case& c : cases) {
        const LinkEnd tx{c.rate, 0.0, c.txError, ftdi};
        const LinkEnd rx{100000.0, 0.0, c.rxError, ftdi};
        const Direction d = directionOf(tx, rx, f8n1, c.margin);
        EXPECT_EQ(d.verdict, c.verdict) << c.rate << ' ' << c.txError << ' ' << c.rxError;
        const double worst = c.rate * (1 + c.txError / 100) / (1 - c.rxError / 100) / 1000.0;
        if (c.rate > 100000.0) {
            EXPECT_NEAR(d.marginPercent, 104.575 - worst, 0.005) << c.rate;
        }
    }
}

}  // namespace
}  // namespace velmiro
