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

constexpr std::array<Family, 5> familyTable{{
    {.key = "eusart",
     .parts = "PIC16F88x, PIC16F1xxx, PIC18F4550, PIC18 J, K20, K22, K40, K80",
     .modes = eusartModes,
     .bits = eusartBits,
     .clockDivider = 1,
     .clockWord = "quarzo",
     .clockDefine = "FOSC",
     .generatorName = "",
     .generatorDefine = "",
     .columns = spbrgColumns,
     .defines = spbrgDefines},
    {.key = "usart",
     .parts = "PIC16F877A, PIC16F628A, PIC16C7x, PIC18F452",
     .modes = usartModes,
     .bits = usartBits,
     .clockDivider = 1,
     .clockWord = "quarzo",
     .clockDefine = "FOSC",
     .generatorName = "",
     .generatorDefine = "",
     .columns = spbrgOnly,
     .defines = spbrgOnly},
    {.key = "uart18",
     .parts = "PIC18 K42, K83, Q40, Q41, Q43, Q71, Q83, Q84",
     .modes = oneBitModes,
     .bits = brgsBit,
     .clockDivider = 1,
     .clockWord = "quarzo",
     .clockDefine = "FOSC",
     .generatorName = "",
     .generatorDefine = "",
     .columns = uxbrgByteColumns,
     .defines = uxbrgBytes},
    {.key = "uart16",
     .parts = "PIC24F/H/E, dsPIC33F/E, dsPIC30F1010/202x",
     .modes = oneBitModes,
     .bits = brghBit,
     .clockDivider = 2,
     .clockWord = "Fosc",
     .clockDefine = "FOSC",
     .generatorName = "Fcy",
     .generatorDefine = "FCY",
     .columns = uxbrgColumn,
     .defines = uxbrgDefine},
    {.key = "pic32",
     .parts = "PIC32MX, MZ, MK, MM",
     .modes = oneBitModes,
     .bits = brghBit,
     .clockDivider = 1,
     .clockWord = "PBCLK",
     .clockDefine = "PBCLK",
     .generatorName = "",
     .generatorDefine = "",
     .columns = uxbrgColumn,
     .defines = uxbrgDefine},
}};

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
    std::string_view family;  // a key of the family table; empty for a refusal
    const Erratum* erratum = nullptr;
    DeviceProblem problem = DeviceProblem::None;
};

constexpr PartRule partRules[] = {
    // Errata first: they pick the family and carry the erratum.
    {"16C63", "usart", &brghReceive},
    {"16CR63", "usart", &brghReceive},
    {"16C65", "usart", &brghReceive},
    {"16C65A", "usart", &brghReceive},
    {"16CR65", "usart", &brghReceive},
    {"16C73", "usart", &brghReceive},
    {"16C73A", "usart", &brghReceive},
    {"16C74", "usart", &brghReceive},
    {"16C74A", "usart", &brghReceive},
    {"16F1824", "eusart", &highSpeedZero},
    {"16F1825", "eusart", &highSpeedZero},
    {"16F1828", "eusart", &highSpeedZero},
    {"16F1829", "eusart", &highSpeedZero},
    {"18F6#K22", "eusart", &syncBelowTwo},
    {"18F8#K22", "eusart", &syncBelowTwo},
    {"18F2420", "eusart", &syncBelowTwo},
    {"18F2520", "eusart", &syncBelowTwo},
    {"18F4420", "eusart", &syncBelowTwo},
    {"18F4520", "eusart", &syncBelowTwo},

    // PIC16 with the older USART or AUSART (8-bit SPBRG, no BRG16).
    {"16F87#", "usart"},
    {"16F87#A", "usart"},
    {"16F87", "usart"},
    {"16F88", "usart"},
    {"16F627", "usart"},
    {"16F628", "usart"},
    {"16F627A", "usart"},
    {"16F628A", "usart"},
    {"16F648A", "usart"},
    {"16F73", "usart"},
    {"16F74", "usart"},
    {"16F76", "usart"},
    {"16F77", "usart"},
    {"16C6#", "usart"},
    {"16C6#@", "usart"},
    {"16C7#", "usart"},
    {"16C7#@", "usart"},
    // PIC16 with the EUSART.
    {"16F88#", "eusart"},
    {"16F687", "eusart"},
    {"16F688", "eusart"},
    {"16F689", "eusart"},
    {"16F690", "eusart"},
    {"16F1###", "eusart"},
    {"16F1####", "eusart"},

    // PIC18: the UART with BRGS, then the EUSART's families, then the old USART.
    {"18F*K42", "uart18"},
    {"18F*K83", "uart18"},
    {"18F*Q40", "uart18"},
    {"18F*Q41", "uart18"},
    {"18F*Q43", "uart18"},
    {"18F*Q71", "uart18"},
    {"18F*Q83", "uart18"},
    {"18F*Q84", "uart18"},
    {"18F*K20", "eusart"},
    {"18F*K22", "eusart"},
    {"18F*K40", "eusart"},
    {"18F*K50", "eusart"},
    {"18F*K80", "eusart"},
    {"18F*K90", "eusart"},
    {"18F*Q10", "eusart"},
    {"18F*J*", "eusart"},
    {"18F2455", "eusart"},
    {"18F2458", "eusart"},
    {"18F2550", "eusart"},
    {"18F2553", "eusart"},
    {"18F4455", "eusart"},
    {"18F4458", "eusart"},
    {"18F4550", "eusart"},
    {"18F4553", "eusart"},
    {"18F1220", "eusart"},
    {"18F1320", "eusart"},
    // The nanoWatt PIC18F2xxx/4xxx: 2220 ... 2620, 2410 ... 2610, 2515, 2525, 2423, 2480 ...
    {"18F2#10", "eusart"},
    {"18F4#10", "eusart"},
    {"18F2#15", "eusart"},
    {"18F4#15", "eusart"},
    {"18F2#20", "eusart"},
    {"18F4#20", "eusart"},
    {"18F2#23", "eusart"},
    {"18F4#23", "eusart"},
    {"18F2#25", "eusart"},
    {"18F4#25", "eusart"},
    {"18F2#80", "eusart"},
    {"18F4#80", "eusart"},
    {"18F2#2", "usart"},  // 242, 252
    {"18F4#2", "usart"},  // 442, 452
    {"18F2#8", "usart"},  // 248, 258
    {"18F4#8", "usart"},  // 448, 458

    // 16-bit parts. dsPIC30F only 1010 and 202x; dsPIC33C and dsPIC33A are refused.
    {"DSPIC30F1010", "uart16"},
    {"DSPIC30F202#", "uart16"},
    {"DSPIC30F*", "", nullptr, DeviceProblem::OutsideDspic30f},
    {"DSPIC33C*", "", nullptr, DeviceProblem::OutsideFractional},
    {"DSPIC33A*", "", nullptr, DeviceProblem::OutsideFractional},
    {"DSPIC33F*", "uart16"},
    {"DSPIC33E*", "uart16"},
    {"24F*", "uart16"},
    {"24H*", "uart16"},
    {"24E*", "uart16"},

    {"32MX*", "pic32"},
    {"32MZ*", "pic32"},
    {"32MK*", "pic32"},
    {"32MM*", "pic32"},
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
    return touches(erratum, mode) ? erratum->minimumRegister : 0;
}

bool Peripheral::avoided(const ModeInfo& mode) const {
    return touches(erratum, mode) && erratum->neverBest;
}

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
    device.problem = rule->problem;
    device.family = findFamily(rule->family);
    device.erratum = rule->erratum;
    return device;
}

}  // namespace velmiro
