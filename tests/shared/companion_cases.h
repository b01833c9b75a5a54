// What the companion window shows, case by case, for every view of it to be
// driven through: the logic's tests, the Qt companion's tests and the Win32
// companion's driver run the same table. Plain data, no test framework.
//
// Each case starts from a companion just opened with no settings kept. It
// chooses `family` in Periferica (when set), ticks Modi sincroni when `sync`,
// then types each text of `typed` into its field in order, replacing what the
// field held. Then it compares.
#pragma once

#include <array>
#include <string_view>

#include "velmiro/calc.h"
#include "velmiro/companion.h"

namespace velmiro::cases {

using companion::Field;
using companion::Tab;

struct Typed {
    Field field;
    const char* text;  // null: no more typing
};

struct CompanionCase {
    const char* name;
    const char* family;  // a key of families(), or null
    bool sync;
    std::array<Typed, 5> typed;

    // The line under the inputs, whole, and whether it is drawn as a problem.
    const char* inputsLine;
    bool problem;
    bool syncEnabled;
    // The header button's text and state.
    const char* header;
    bool headerEnabled;

    // One tab's table: its column titles and row count, one row's texts and
    // the titles of that row's bold cells (the best mode), each joined by '|'.
    Tab tab;
    const char* headers;
    int rows;
    int row;
    const char* cells;
    const char* bold;
};

inline constexpr Typed end{Field::Crystal, nullptr};

// The place of a Periferica in the list, by its key.
inline int familyIndex(std::string_view key) {
    const auto all = families();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

// clang-format off
inline constexpr CompanionCase companionCases[] = {
    {"20M 19200, best mode", nullptr, false, {{{Field::Crystal, "20M"}, {Field::Rate, "19200"}, end, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Modes, "modo|SYNC|BRG16|BRGH|divisore|n|SPBRGH|SPBRG|ottenuti|scost. %|esito", 6,
     1, "001 (migliore)|0|0|1|16|64|0x00|0x40|19230,77|0,16|ok",
     "modo|SYNC|BRG16|BRGH|divisore|n|SPBRGH|SPBRG|ottenuti|scost. %|esito"},
    {"n limited at the top", nullptr, false, {{{Field::Crystal, "20.000.000"}, {Field::Rate, "1.200"}, end, end}},
     "", false, true, "Copia &intestazione C (011)", true,
     Tab::Modes, "modo|SYNC|BRG16|BRGH|divisore|n|SPBRGH|SPBRG|ottenuti|scost. %|esito", 6,
     0, "000|0|0|0|64|255 (max)|0x00|0xFF|1220,70|1,73|fuori tolleranza", ""},
    {"clock error widens", nullptr, false, {{{Field::Crystal, "20M"}, {Field::Rate, "19200"}, {Field::ClockError, "0.5"}, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Modes, "modo|SYNC|BRG16|BRGH|divisore|n|SPBRGH|SPBRG|ottenuti|scost. %|peggiore %|esito", 6,
     1, "001 (migliore)|0|0|1|16|64|0x00|0x40|19230,77|0,16|0,66|ok", nullptr},
    {"tolerance with a comma", nullptr, false, {{{Field::Crystal, "20M"}, {Field::Rate, "19200"}, {Field::Tolerance, "1,8"}, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Modes, nullptr, 6, 0, "000|0|0|0|64|15|0x00|0x0F|19531,25|1,73|ok", ""},
    {"tolerance just below", nullptr, false, {{{Field::Crystal, "20M"}, {Field::Rate, "19200"}, {Field::Tolerance, "1.7"}, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Modes, nullptr, 6, 0, "000|0|0|0|64|15|0x00|0x0F|19531,25|1,73|fuori tolleranza", ""},
    {"usart by its part", nullptr, false, {{{Field::Device, "pic16f877a-i/p"}, {Field::Crystal, "20M"}, {Field::Rate, "9600"}, end}},
     "Dispositivo PIC16F877A (famiglia usart)", false, true, "Copia &intestazione C (001)", true,
     Tab::Modes, "modo|SYNC|BRGH|divisore|n|SPBRG|ottenuti|scost. %|esito", 3,
     1, "001 (migliore)|0|1|16|129|0x81|9615,38|0,16|ok", "modo|SYNC|BRGH|divisore|n|SPBRG|ottenuti|scost. %|esito"},
    {"uart16 counts Fcy", "uart16", false, {{{Field::Crystal, "8M"}, {Field::Rate, "9600"}, end, end}},
     "Fcy = Fosc / 2 = 4.000.000 Hz", false, false, "Copia &intestazione C (BRGH 0)", true,
     Tab::Modes, "modo|BRGH|divisore|n|UxBRG|ottenuti|scost. %|esito", 2,
     0, "0 (migliore)|0|16|25|0x0019|9615,38|0,16|ok", "modo|BRGH|divisore|n|UxBRG|ottenuti|scost. %|esito"},
    // The multiprotocol UART by its part: the chain, the 20-bit register's parts, one sample.
    {"uart33c by its part", nullptr, false, {{{Field::Device, "dsPIC33CK256MP508"}, {Field::Crystal, "100M"}, {Field::Rate, "115200"}, end}},
     "Fp = Fosc / 2 = 50.000.000 Hz; BCLKSEL = fosc/2\nDispositivo dsPIC33CK256MP508 (famiglia uart33c)",
     false, false, "Copia &intestazione C (10)", true,
     Tab::Modes, "modo|BCLKMOD|BRGH|divisore|n|UxBRGH|UxBRG|ottenuti|scost. %|esito", 3,
     1, "01|0|1|4|108|0x0|0x006C|114678,90|-0,45|ok (1 campione)", ""},
    // The clock the user has: a crystal through a PLL, the source chosen, a name the
    // family lacks, a clock past the part's maximum.
    {"a crystal through the PLL", nullptr, false, {{{Field::Device, "PIC24FJ64GA002"}, {Field::Crystal, "8M"}, {Field::Rate, "115200"}, {Field::Pll, "4"}, end}},
     "Quarzo 8.000.000 Hz × 4 = Fosc 32.000.000 Hz; Fcy = Fosc / 2 = 16.000.000 Hz\nDispositivo PIC24FJ64GA002 (famiglia uart16)",
     false, false, "Copia &intestazione C (BRGH 1)", true,
     Tab::Modes, nullptr, 2, 1, "1 (migliore)|1|4|34|0x0022|114285,71|-0,79|ok", nullptr},
    {"the clock source chosen", "uart33c", false, {{{Field::Crystal, "8M"}, {Field::Rate, "100000"}, {Field::Source, "FOSC"}, end}},
     "BCLKSEL = fosc", false, false, "Copia &intestazione C (00)", true,
     Tab::Modes, nullptr, 3, 2, "10|1|0|1|80|0x0|0x0050|100000,00|0,00|ok", ""},
    {"a clock the family lacks", "uart16", false, {{{Field::Clock, "Fp"}, end}},
     "Clock dato: «Fp» non è un clock di questa famiglia; il primo numero può essere Fosc o Fcy",
     true, false, "Copia &intestazione C", false,
     Tab::Modes, nullptr, 0, -1, nullptr, nullptr},
    {"a clock past the part's maximum", nullptr, false, {{{Field::Device, "PIC32MZ2048EFH144"}, {Field::Crystal, "200M"}, {Field::Rate, "115200"}, end}},
     "Dispositivo PIC32MZ2048EFH144 (famiglia pic32)\nPBCLK2 200.000.000 Hz è oltre il massimo di PIC32MZ2048EFH144, "
     "100.000.000 Hz: è forse il clock di sistema, o il quarzo prima del PLL? Il primo numero qui è PBCLK2; "
     "un quarzo con il suo PLL si dà con il campo PLL",
     false, false, "Copia &intestazione C (BRGH 1)", true,
     Tab::Modes, nullptr, 2, 1, "1 (migliore)|1|4|433|0x01B1|115207,37|0,01|ok", nullptr},
    {"pic32 has no synchronous modes", "pic32", true, {{{Field::Crystal, "36M"}, {Field::Rate, "115200"}, end, end}},
     "", false, false, "Copia &intestazione C (BRGH 1)", true,
     Tab::Modes, nullptr, 2, 1, "1 (migliore)|1|4|77|0x004D|115384,62|0,16|ok", nullptr},
    {"synchronous modes compete", nullptr, true, {{{Field::Crystal, "20M"}, {Field::Rate, "19200"}, end, end}},
     "", false, true, "Copia &intestazione C (110)", true,
     Tab::Modes, nullptr, 6, 4, "100|1|0|0|4|255 (max)|0x00|0xFF|19531,25|1,73|fuori tolleranza", ""},
    // The marks of Tabella for a part whose erratum avoids a mode.
    {"erratum in Tabella", nullptr, false, {{{Field::Device, "PIC16C73A"}, {Field::Crystal, "4M"}, {Field::TableRates, "9600"}, end}},
     "Dispositivo PIC16C73A (famiglia usart)\nNota: l'errata del dispositivo sconsiglia BRGH = 1 in "
     "asincrono (errori di ricezione): quel modo non è mai il migliore", false, true, "Copia &intestazione C (000)", true,
     Tab::Table, "baud rate|000 n|000 scost. %|001 n|001 scost. %", 1,
     0, "9600|6|-6,99 (fuori)|25|0,16 (errata)", "000 n|000 scost. %"},
    // With nothing to show, the columns are still the chosen Periferica's.
    {"error keeps the family's columns", "uart16", false, {{{Field::Crystal, "veloce"}, end, end, end}},
     "Fosc: «veloce» non è un numero; si scrive per esempio 20000000, 20.000.000, 20M, 11,0592M o 115.2k",
     true, false, "Copia &intestazione C", false,
     Tab::Modes, "modo|BRGH|divisore|n|UxBRG|ottenuti|scost. %|esito", 0, -1, nullptr, nullptr},
    {"unknown part, in the window's words", nullptr, false, {{{Field::Device, "PIC99X1"}, end, end, end}},
     "Dispositivo: «PIC99X1» non è un dispositivo che Velmiro conosce; scegliere la Periferica o svuotare Dispositivo",
     true, true, "Copia &intestazione C", false,
     Tab::Modes, nullptr, 0, -1, nullptr, nullptr},
    // Grouped numbers of every length, in a list of rates and in the limits.
    {"grouped numbers", nullptr, false, {{{Field::TableRates, "300 1.200 19.200 115.200 1.000.000"}, {Field::Minimum, "11.059.200"}, {Field::Maximum, "11.059.200"}, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Table, nullptr, 5, 4, nullptr, nullptr},
    {"every common crystal that fits", nullptr, false, {{end, end, end, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Crystals, "quarzo (Hz)|peggiore %|9600 baud: modo, n, scost. %|115200 baud: modo, n, scost. %", 22,
     21, nullptr, nullptr},
    // Collegamento: both directions, a pair that fails, another PIC, a frame that does not read.
    {"PIC to an FT232R", nullptr, false, {{{Field::Device, "PIC16F877A"}, {Field::Crystal, "20M"}, {Field::Rate, "115200"}, end}},
     "Dispositivo PIC16F877A (famiglia usart)", false, true, "Copia &intestazione C (001)", true,
     Tab::Link, "direzione|trasmette|riceve|rapporto %|scost. %|finestra da %|finestra a %|margine %|esito", 2,
     0, "PIC → FT232R|113636,4|115384,6|98,48|-1,52|94,74|104,58|3,75|ok", ""},
    {"FT232R to the PIC", nullptr, false, {{{Field::Device, "PIC16F877A"}, {Field::Crystal, "20M"}, {Field::Rate, "115200"}, end}},
     "Dispositivo PIC16F877A (famiglia usart)", false, true, "Copia &intestazione C (001)", true,
     Tab::Link, nullptr, 2, 1, "FT232R → PIC|115384,6|113636,4|101,54|1,54|96,00|103,90|2,36|ok", ""},
    {"a link that fails one way", nullptr, false, {{{Field::Crystal, "4M"}, {Field::Rate, "115200"}, {Field::Peer, "esatto"}, {Field::Frame, "9e2"}}},
     "", false, true, "Copia &intestazione C (011)", true,
     Tab::Link, nullptr, 2, 1, "esatto → PIC|115200,0|111111,1|103,68|3,68|95,65|102,13|-1,55|non comunica", ""},
    {"another PIC with its own clock", nullptr, false, {{{Field::Crystal, "20M"}, {Field::Rate, "9600"}, {Field::Peer, "pic16f1827"}, {Field::PeerClock, "16M"}, {Field::PeerClockError, "2"}}},
     "", false, true, "Copia &intestazione C (011)", true,
     Tab::Link, "direzione|trasmette|riceve|rapporto %|scost. %|peggiore da %|peggiore a %|finestra da %|finestra a %|margine %|esito", 2,
     0, "PIC → PIC16F1827|9596,9|9592,3|100,05|0,05|98,09|102,09|94,74|102,56|0,47|al limite", ""},
    {"a frame that does not read", nullptr, false, {{{Field::Frame, "8N3"}, end, end, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Link, "direzione|trasmette|riceve|rapporto %|scost. %|finestra da %|finestra a %|margine %|esito", 0,
     -1, nullptr, nullptr},
    {"one crystal between equal limits", nullptr, false, {{{Field::Minimum, "11.059.200"}, {Field::Maximum, "11059200"}, end, end}},
     "", false, true, "Copia &intestazione C (001)", true,
     Tab::Crystals, nullptr, 1, 0, nullptr, nullptr},
};
// clang-format on

}  // namespace velmiro::cases
