// Which serial port a part has: the part rules, the errata some parts carry
// and the clock each part group's generator counts, with its maximum.
#include <algorithm>
#include <cctype>

#include "velmiro/calc.h"

namespace velmiro {

namespace {

// ---------------------------------------------------------------- errata

// PIC16C63/R63/65/65A/R65/73/73A/74/74A. Source: the silicon errata sheets of
// these parts (e.g. "PIC16C73A Errata Sheet for Rev. B Silicon", module USART):
// asynchronous reception with BRGH set may see many receive errors; the
// advice is to keep BRGH cleared.
constexpr Erratum brghReceive{
    .keys = {"001", ""},
    .minimumRegister = 0,
    .neverBest = true,
    .note =
        "l'errata del dispositivo sconsiglia BRGH = 1 in asincrono (errori di ricezione): "
        "quel modo non è mai il migliore"};

// PIC16(L)F1824/1828 (errata DS80510, 8.1) and PIC16(L)F1825/1829 (errata
// DS80000517, 7.2): SYNC = 0, BRG16 = 1, BRGH = 1 with SPBRGH:SPBRGL = 0
// misbehaves; the workaround is a non-zero value.
constexpr Erratum highSpeedZero{
    .keys = {"011", ""},
    .minimumRegister = 1,
    .neverBest = false,
    .note = "l'errata del dispositivo vieta n = 0 nel modo 011: il registro vale almeno 1"};

// Synchronous mode with SPBRGH:SPBRG of 0 or 1 may not work. Source: the
// silicon errata sheets, module EUSART, of the PIC18F87K22 family and of the
// PIC18F2420/2520/4420/4520 (DS80209, item 26).
constexpr Erratum syncBelowTwo{
    .keys = {"100", "110"},
    .minimumRegister = 2,
    .neverBest = false,
    .note =
        "l'errata del dispositivo vieta n = 0 e n = 1 nei modi sincroni: il registro vale "
        "almeno 2"};

// ---------------------------------------------------------------- part rules
// Matched against the part as read: upper case, without "PIC" and the
// package after '-', "LF" read as "F" and "LC" as "C". '#' is a digit, '@' a
// letter, '*' any run of characters. The first rule that matches decides, so the
// exceptions come before the broad rules.

struct PartRule {
    std::string_view pattern;
    std::string_view family;  // a key of the family table
    const PartClock* clock = nullptr;
    const Erratum* erratum = nullptr;
};

// ---------------------------------------------------------------- clocks
// The most the clock that the first number names may be, per part group: Fosc
// for the 8- and 16-bit parts, the peripheral bus clock for PIC32. Sources:
// each group's data sheet, section "Electrical Characteristics", external clock
// or oscillator timing (Fosc), and for PIC32 the peripheral bus clock limits of
// the "Oscillator Configuration" section.
constexpr PartClock fosc20{
    "", 20000000};  // PIC16F87xA (DS39582), PIC16F628A (DS40044), PIC16F88x (DS41291), PIC16C7x
constexpr PartClock fosc32{
    "",
    32000000};  // PIC16F1xxx (e.g. PIC16F1827, DS41391), PIC24F (PIC24FJ64GA004, DS39881: 16 MIPS)
constexpr PartClock fosc40{
    "", 40000000};  // PIC18F452 (DS39564), PIC18F2420/4520 (DS39631), PIC18F1220 (DS39605)
constexpr PartClock fosc48{"", 48000000};  // PIC18F2455/4550 (DS39632), PIC18F14K50 (DS41350)
constexpr PartClock fosc64{
    "", 64000000};  // PIC18 K20 (DS41303), K22 (DS40001412), K40, K42, K80, Q10, Q4x, J
constexpr PartClock fosc80{"", 80000000};          // PIC24H, dsPIC33F (40 MIPS, Fcy = Fosc / 2)
constexpr PartClock fosc120{"", 120000000};        // dsPIC30F (30 MIPS, Fcy = Fosc / 4; DS70046)
constexpr PartClock fosc140{"", 140000000};        // PIC24E, dsPIC33E (70 MIPS, DS70000657)
constexpr PartClock fosc200{"", 200000000};        // dsPIC33CK/CH (100 MIPS, DS70005349)
constexpr PartClock pbclkMx12{"PBCLK", 50000000};  // PIC32MX1xx/2xx (DS60001168)
constexpr PartClock pbclkMx{"PBCLK", 120000000};   // PIC32MX3xx-7xx (DS60001185, DS61156)
// PIC32MZ EF (DS60001320): the UARTs count PBCLK2, at most 100 MHz.
constexpr PartClock pbclk2Mz{"PBCLK2", 100000000};
// PIC32MK (DS60001402): UART1-2 count PBCLK2, UART3-6 PBCLK3; neither above SYSCLK.
constexpr PartClock pbclk2Mk{
    "PBCLK2", 120000000,
    "UART1 e UART2 contano PBCLK2, UART3-6 PBCLK3: dare quello dell'UART usato"};
// PIC32MM (DS60001324, DS60001387): UxMODE.CLKSEL picks the UART's clock.
constexpr PartClock clkselMm{"PBCLK", 25000000,
                             "CLKSEL di UxMODE sceglie il clock dell'UART: dare quello scelto"};

constexpr PartRule partRules[] = {
    // Errata first: they pick the family and carry the erratum.
    {"16C63", "usart", &fosc20, &brghReceive},
    {"16CR63", "usart", &fosc20, &brghReceive},
    {"16C65", "usart", &fosc20, &brghReceive},
    {"16C65A", "usart", &fosc20, &brghReceive},
    {"16CR65", "usart", &fosc20, &brghReceive},
    {"16C73", "usart", &fosc20, &brghReceive},
    {"16C73A", "usart", &fosc20, &brghReceive},
    {"16C74", "usart", &fosc20, &brghReceive},
    {"16C74A", "usart", &fosc20, &brghReceive},
    {"16F1824", "eusart", &fosc32, &highSpeedZero},
    {"16F1825", "eusart", &fosc32, &highSpeedZero},
    {"16F1828", "eusart", &fosc32, &highSpeedZero},
    {"16F1829", "eusart", &fosc32, &highSpeedZero},
    {"18F6#K22", "eusart", &fosc64, &syncBelowTwo},
    {"18F8#K22", "eusart", &fosc64, &syncBelowTwo},
    {"18F2420", "eusart", &fosc40, &syncBelowTwo},
    {"18F2520", "eusart", &fosc40, &syncBelowTwo},
    {"18F4420", "eusart", &fosc40, &syncBelowTwo},
    {"18F4520", "eusart", &fosc40, &syncBelowTwo},

    // PIC16 with the older USART or AUSART (8-bit SPBRG, no BRG16).
    {"16F87#", "usart", &fosc20},
    {"16F87#A", "usart", &fosc20},
    {"16F87", "usart", &fosc20},
    {"16F88", "usart", &fosc20},
    {"16F627", "usart", &fosc20},
    {"16F628", "usart", &fosc20},
    {"16F627A", "usart", &fosc20},
    {"16F628A", "usart", &fosc20},
    {"16F648A", "usart", &fosc20},
    {"16F73", "usart", &fosc20},
    {"16F74", "usart", &fosc20},
    {"16F76", "usart", &fosc20},
    {"16F77", "usart", &fosc20},
    {"16C6#", "usart", &fosc20},
    {"16C6#@", "usart", &fosc20},
    {"16C7#", "usart", &fosc20},
    {"16C7#@", "usart", &fosc20},
    // PIC16 with the EUSART.
    {"16F88#", "eusart", &fosc20},
    {"16F687", "eusart", &fosc20},
    {"16F688", "eusart", &fosc20},
    {"16F689", "eusart", &fosc20},
    {"16F690", "eusart", &fosc20},
    {"16F1###", "eusart", &fosc32},
    {"16F1####", "eusart", &fosc32},

    // PIC18: the UART with BRGS, then the EUSART's families, then the old USART.
    {"18F*K42", "uart18", &fosc64},
    {"18F*K83", "uart18", &fosc64},
    {"18F*Q40", "uart18", &fosc64},
    {"18F*Q41", "uart18", &fosc64},
    {"18F*Q43", "uart18", &fosc64},
    {"18F*Q71", "uart18", &fosc64},
    {"18F*Q83", "uart18", &fosc64},
    {"18F*Q84", "uart18", &fosc64},
    {"18F*K20", "eusart", &fosc64},
    {"18F*K22", "eusart", &fosc64},
    {"18F*K40", "eusart", &fosc64},
    {"18F*K50", "eusart", &fosc48},
    {"18F*K80", "eusart", &fosc64},
    {"18F*K90", "eusart", &fosc64},
    {"18F*Q10", "eusart", &fosc64},
    {"18F*J*", "eusart", &fosc64},
    {"18F2455", "eusart", &fosc48},
    {"18F2458", "eusart", &fosc48},
    {"18F2550", "eusart", &fosc48},
    {"18F2553", "eusart", &fosc48},
    {"18F4455", "eusart", &fosc48},
    {"18F4458", "eusart", &fosc48},
    {"18F4550", "eusart", &fosc48},
    {"18F4553", "eusart", &fosc48},
    {"18F1220", "eusart", &fosc40},
    {"18F1320", "eusart", &fosc40},
    // The nanoWatt PIC18F2xxx/4xxx: 2220 ... 2620, 2410 ... 2610, 2515, 2525, 2423, 2480 ...
    {"18F2#10", "eusart", &fosc40},
    {"18F4#10", "eusart", &fosc40},
    {"18F2#15", "eusart", &fosc40},
    {"18F4#15", "eusart", &fosc40},
    {"18F2#20", "eusart", &fosc40},
    {"18F4#20", "eusart", &fosc40},
    {"18F2#23", "eusart", &fosc40},
    {"18F4#23", "eusart", &fosc40},
    {"18F2#25", "eusart", &fosc40},
    {"18F4#25", "eusart", &fosc40},
    {"18F2#80", "eusart", &fosc40},
    {"18F4#80", "eusart", &fosc40},
    {"18F2#2", "usart", &fosc40},  // 242, 252
    {"18F4#2", "usart", &fosc40},  // 442, 452
    {"18F2#8", "usart", &fosc40},  // 248, 258
    {"18F4#8", "usart", &fosc40},  // 448, 458

    // 16-bit parts. dsPIC30F1010 and 202x have Fcy = Fosc / 2; the other
    // dsPIC30F Fosc / 4. dsPIC33C and dsPIC33A have the multiprotocol UART.
    // No PIC24 is mapped to it: none of their data sheets at hand confirms it.
    {"DSPIC30F1010", "uart16"},
    {"DSPIC30F202#", "uart16"},
    {"DSPIC30F*", "dspic30f", &fosc120},
    {"DSPIC33C*", "uart33c", &fosc200},
    {"DSPIC33A*", "uart33a"},
    {"DSPIC33F*", "uart16", &fosc80},
    {"DSPIC33E*", "uart16", &fosc140},
    {"24F*", "uart16", &fosc32},
    {"24H*", "uart16", &fosc80},
    {"24E*", "uart16", &fosc140},

    {"32MX1*", "pic32", &pbclkMx12},
    {"32MX2*", "pic32", &pbclkMx12},
    {"32MX*", "pic32", &pbclkMx},
    {"32MZ*", "pic32", &pbclk2Mz},
    {"32MK*", "pic32", &pbclk2Mk},
    {"32MM*", "pic32", &clkselMm},
};

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// '#' a digit, '@' a letter, '*' any run, anything else itself.
bool matches(std::string_view pattern, std::string_view part) {
    if (pattern.empty())
        return part.empty();
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= part.size(); ++skip) {
            if (matches(pattern.substr(1), part.substr(skip)))
                return true;
        }
        return false;
    }
    if (part.empty())
        return false;
    const char p = pattern.front();
    const char c = part.front();
    const bool one = p == '#' ? digit(c) : p == '@' ? c >= 'A' && c <= 'Z' : p == c;
    return one && matches(pattern.substr(1), part.substr(1));
}

// The part as people write it, upper case, without the package:
// "pic18lf46k22-i/p" -> "PIC18LF46K22", "dspic33ep512mu810" -> "dsPIC33EP512MU810".
std::string partName(std::string_view text) {
    std::string part;
    for (const char c : text.substr(0, text.find('-')))
        if (c != ' ')
            part += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // A T right before the package marks tape and reel: PIC16F877AT-I/PT.
    if (text.find('-') != std::string_view::npos && part.size() > 1 && part.back() == 'T')
        part.pop_back();
    if (part.rfind("DSPIC", 0) == 0)
        return "ds" + part.substr(2);
    if (part.rfind("PIC", 0) != 0 && !part.empty())
        part.insert(0, "PIC");
    return part;
}

// The same part as the rules read it: "PIC18LF46K22" -> "18F46K22".
std::string ruleKey(std::string part) {
    if (part.rfind("ds", 0) == 0)
        part.replace(0, 2, "DS");
    else
        part.erase(0, 3);
    // The low-voltage twin of a part has the same serial port.
    for (const std::string_view twin : {"LF", "LC"}) {
        const std::size_t at = part.find(twin);
        if (at != std::string::npos && at > 0 && digit(part[at - 1]))
            part.erase(at, 1);
    }
    return part;
}

}  // namespace

Device deviceFromText(std::string_view text) {
    Device device;
    device.part = partName(text);
    const std::string key = ruleKey(device.part);
    const auto* rule = std::find_if(std::begin(partRules), std::end(partRules),
                                    [&](const PartRule& r) { return matches(r.pattern, key); });
    if (rule == std::end(partRules)) {
        device.problem = DeviceProblem::Unknown;
        return device;
    }
    device.family = findFamily(rule->family);
    device.erratum = rule->erratum;
    device.clock = rule->clock;
    return device;
}

}  // namespace velmiro
