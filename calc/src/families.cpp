#include <algorithm>
#include <array>
#include <cctype>

#include "velmiro/calc.h"

namespace velmiro {

namespace {

// ---------------------------------------------------------------- the families

constexpr std::array<ModeInfo, 6> eusartModes{{
    {"000", {0, 0, 0}, 64},
    {"001", {0, 0, 1}, 16},
    {"010", {0, 1, 0}, 16},
    {"011", {0, 1, 1}, 4},
    {"100", {1, 0, 0}, 4},
    {"110", {1, 1, 0}, 4},
}};

// Only SPBRG; in synchronous mode BRGH does not count.
constexpr std::array<ModeInfo, 3> usartModes{{
    {"000", {0, 0, 0}, 64},
    {"001", {0, 0, 1}, 16},
    {"100", {1, 0, 0}, 4},
}};

// One bit, 16-bit register: BRGS on the PIC18 UART, BRGH on PIC24, dsPIC and PIC32.
constexpr std::array<ModeInfo, 2> oneBitModes{{
    {"0", {0, 1, 0}, 16},
    {"1", {0, 1, 1}, 4},
}};

// The multiprotocol UART of dsPIC33C and dsPIC33A: a 20-bit register, two
// legacy modes (16 and 4 clocks a bit) and a fractional one, baud = F / n,
// without the + 1. Sources: dsPIC33AK128MC106 family data sheet, UART,
// "Legacy Mode" (BRG up to 20 bits, UxBRG[19:0]; its baud rate tables end at
// BRG 1048575), "Fractional Division Mode" (16 is added to a counter each
// clock of FUART until it passes UxBRG, one pulse of the 16x clock each time:
// at most one pulse a clock, so below 16 the rate no longer rises and 16 is
// the smallest useful value) and "High-Speed Mode (CLKMOD = 0 and BRGS = 1)":
// four clocks a bit leave too few edges for majority detection, so each bit
// is sampled once, at half its width. The dsPIC33CK/CH have the same module
// under the names BCLKMOD, BRGH and UxBRGH[3:0]:UxBRG.
constexpr std::int64_t twentyBits = 0xFFFFF;
constexpr std::array<ModeInfo, 3> multiprotocolModes{{
    {"00", {0, 1, 0, 0}, 16, 1, 0, twentyBits, false},
    {"01", {0, 1, 1, 0}, 4, 1, 0, twentyBits, true},
    {"10", {0, 1, 0, 1}, 1, 0, 16, twentyBits, false},
}};

// dsPIC30F: Fcy = Fosc / 4 and baud = Fcy / (16 (UxBRG + 1)), no BRGH. Source:
// dsPIC30F Family Reference Manual (DS70046), section 19, UART: 16-bit UxBRG;
// its example, Fcy 4 MHz and 9600 baud, gives 25, 9615 baud, +0.16 %.
constexpr std::array<ModeInfo, 1> dspic30fModes{{{"0", {0, 1, 0}, 16}}};

constexpr std::array<BitColumn, 3> eusartBits{{
    {"SYNC", &GeneratorMode::sync},
    {"BRG16", &GeneratorMode::brg16},
    {"BRGH", &GeneratorMode::brgh},
}};
constexpr std::array<BitColumn, 2> usartBits{{
    {"SYNC", &GeneratorMode::sync},
    {"BRGH", &GeneratorMode::brgh},
}};
constexpr std::array<BitColumn, 1> brgsBit{{{"BRGS", &GeneratorMode::brgh}}};
constexpr std::array<BitColumn, 1> brghBit{{{"BRGH", &GeneratorMode::brgh}}};
constexpr std::array<BitColumn, 2> bclkmodBits{{
    {"BCLKMOD", &GeneratorMode::fractional},
    {"BRGH", &GeneratorMode::brgh},
}};
constexpr std::array<BitColumn, 2> clkmodBits{{
    {"CLKMOD", &GeneratorMode::fractional},
    {"BRGS", &GeneratorMode::brgh},
}};

constexpr std::array<RegisterName, 2> spbrgColumns{{
    {"SPBRGH", RegisterPart::High},
    {"SPBRG", RegisterPart::Low},
}};
constexpr std::array<RegisterName, 2> spbrgDefines{{
    {"SPBRG", RegisterPart::Low},
    {"SPBRGH", RegisterPart::High},
}};
constexpr std::array<RegisterName, 1> spbrgOnly{{{"SPBRG", RegisterPart::Low}}};
constexpr std::array<RegisterName, 2> uxbrgByteColumns{{
    {"UxBRGH", RegisterPart::High},
    {"UxBRGL", RegisterPart::Low},
}};
constexpr std::array<RegisterName, 3> uxbrgBytes{{
    {"UXBRG", RegisterPart::Whole},
    {"UXBRGL", RegisterPart::Low},
    {"UXBRGH", RegisterPart::High},
}};
constexpr std::array<RegisterName, 1> uxbrgColumn{{{"UxBRG", RegisterPart::Whole}}};
constexpr std::array<RegisterName, 1> uxbrgDefine{{{"UXBRG", RegisterPart::Whole}}};

constexpr std::array<RegisterName, 2> uxbrg20Columns{{
    {"UxBRGH", RegisterPart::Upper},
    {"UxBRG", RegisterPart::Word},
}};
constexpr std::array<RegisterName, 2> uxbrg20Defines{{
    {"UXBRG", RegisterPart::Word},
    {"UXBRGH", RegisterPart::Upper},
}};

// The one clock source of the other families.
constexpr std::array<ClockSource, 1> foscSource{{{"", "Fosc", 1, "", "FOSC", "", -1}}};
constexpr std::array<ClockSource, 1> fcyHalfSource{{{"", "Fosc", 2, "Fcy", "FOSC", "FCY", -1}}};
constexpr std::array<ClockSource, 1> fcyQuarterSource{{{"", "Fosc", 4, "Fcy", "FOSC", "FCY", -1}}};
constexpr std::array<ClockSource, 1> pbclkSource{{{"", "PBCLK", 1, "", "PBCLK", "", -1}}};
constexpr std::array<ClockSource, 1> fuartSource{{{"", "FUART", 1, "", "FUART", "", -1}}};

// BCLKSEL of UxMODEH on dsPIC33CK/CH: 00 FOSC/2 (the reset value), 01 reserved, 10 FOSC,
// 11 AFVCO/3 (the UxMODEH register of the dsPIC33CK datasheets, UART chapter).
constexpr std::array<ClockSource, 3> bclkselSources{{
    {"fosc/2", "Fosc", 2, "Fp", "FOSC", "FP", 0},
    {"fosc", "Fosc", 1, "", "FOSC", "", 2},
    {"afvco/3", "AFVCO", 3, "Fuart", "AFVCO", "FUART", 3},
}};

constexpr std::array<Family, 8> familyTable{{
    {.key = "eusart",
     .parts = "PIC16F88x, PIC16F1xxx, PIC18F4550, PIC18 J, K20, K22, K40, K80",
     .modes = eusartModes,
     .bits = eusartBits,
     .clockWord = "quarzo",
     .columns = spbrgColumns,
     .defines = spbrgDefines,
     .sources = foscSource},
    {.key = "usart",
     .parts = "PIC16F877A, PIC16F628A, PIC16C7x, PIC18F452",
     .modes = usartModes,
     .bits = usartBits,
     .clockWord = "quarzo",
     .columns = spbrgOnly,
     .defines = spbrgOnly,
     .sources = foscSource},
    {.key = "uart18",
     .parts = "PIC18 K42, K83, Q40, Q41, Q43, Q71, Q83, Q84",
     .modes = oneBitModes,
     .bits = brgsBit,
     .clockWord = "quarzo",
     .columns = uxbrgByteColumns,
     .defines = uxbrgBytes,
     .sources = foscSource},
    {.key = "uart16",
     .parts = "PIC24F/H/E, dsPIC33F/E, dsPIC30F1010/202x",
     .modes = oneBitModes,
     .bits = brghBit,
     .clockWord = "Fosc",
     .columns = uxbrgColumn,
     .defines = uxbrgDefine,
     .sources = fcyHalfSource},
    {.key = "pic32",
     .parts = "PIC32MX, MZ, MK, MM",
     .modes = oneBitModes,
     .bits = brghBit,
     .clockWord = "PBCLK",
     .columns = uxbrgColumn,
     .defines = uxbrgDefine,
     .sources = pbclkSource},
    {.key = "uart33c",
     .parts = "dsPIC33CK, dsPIC33CH (UART multiprotocollo)",
     .modes = multiprotocolModes,
     .bits = bclkmodBits,
     .clockWord = "Fosc",
     .columns = uxbrg20Columns,
     .defines = uxbrg20Defines,
     .sources = bclkselSources,
     .sourceBits = "BCLKSEL"},
    {.key = "uart33a",
     .parts = "dsPIC33A (UART multiprotocollo; il primo numero è FUART)",
     .modes = multiprotocolModes,
     .bits = clkmodBits,
     .clockWord = "FUART",
     .columns = uxbrgColumn,
     .defines = uxbrgDefine,
     .sources = fuartSource},
    {.key = "dspic30f",
     .parts = "dsPIC30F (Fcy = Fosc / 4), tranne 1010/202x",
     .modes = dspic30fModes,
     .bits = {},
     .clockWord = "Fosc",
     .columns = uxbrgColumn,
     .defines = uxbrgDefine,
     .sources = fcyQuarterSource},
}};

}  // namespace

std::span<const Family> families() {
    return familyTable;
}

const Family& eusart() {
    return familyTable.front();
}

const Family* findFamily(std::string_view key) {
    const auto* found = std::find_if(familyTable.begin(), familyTable.end(),
                                     [&](const Family& f) { return f.key == key; });
    return found != familyTable.end() ? found : nullptr;
}

std::span<const ModeInfo> modeTable() {
    return eusartModes;
}

const ModeInfo* findMode(const Family& family, std::string_view key) {
    for (const ModeInfo& mode : family.modes) {
        if (mode.key == key)
            return &mode;
    }
    return nullptr;
}

const ModeInfo* findMode(std::string_view key) {
    return findMode(eusart(), key);
}

std::string modeKeysOf(const Family& family) {
    std::string keys;
    for (const ModeInfo& mode : family.modes)
        keys += std::string(keys.empty() ? "" : ", ") + std::string(mode.key);
    return keys;
}

namespace {

bool touches(const Erratum* erratum, const ModeInfo& mode) {
    return erratum != nullptr &&
           std::find(erratum->keys.begin(), erratum->keys.end(), mode.key) != erratum->keys.end();
}

}  // namespace

std::int64_t Peripheral::registerMinimum(const ModeInfo& mode) const {
    return std::max(mode.minimumRegister, touches(erratum, mode) ? erratum->minimumRegister : 0);
}

bool Peripheral::avoided(const ModeInfo& mode) const {
    return touches(erratum, mode) && erratum->neverBest;
}

const ClockSource* findSource(const Family& family, std::string_view key) {
    const auto found = std::find_if(family.sources.begin(), family.sources.end(),
                                    [&](const ClockSource& s) { return s.key == key; });
    return found != family.sources.end() ? &*found : nullptr;
}

const ClockSource& Peripheral::source() const {
    return chain.source != nullptr ? *chain.source : family->sources.front();
}

std::string_view Peripheral::inputName() const {
    // Only PIC32 parts name their clock, and their family has one source.
    const bool named = partClock != nullptr && !partClock->name.empty();
    return named ? partClock->name : source().input;
}

ClockRatio Peripheral::ratio() const {
    switch (chain.given) {
        case ClockPoint::Generator:
            return {};
        case ClockPoint::Oscillator:
            return {chain.pllMultiplier, chain.pllDivider * source().divider};
        case ClockPoint::Input:
            break;
    }
    return {1, source().divider};
}

double Peripheral::inputClock(std::int32_t given) const {
    switch (chain.given) {
        case ClockPoint::Generator:
            return static_cast<double>(given) * source().divider;
        case ClockPoint::Oscillator:
            return static_cast<double>(given) * static_cast<double>(chain.pllMultiplier) /
                   static_cast<double>(chain.pllDivider);
        case ClockPoint::Input:
            break;
    }
    return given;
}

double Peripheral::generatorClock(std::int32_t given) const {
    const ClockRatio r = ratio();
    return static_cast<double>(given) * static_cast<double>(r.multiplier) /
           static_cast<double>(r.divider);
}

}  // namespace velmiro
