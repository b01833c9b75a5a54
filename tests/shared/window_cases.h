// What the main window does, case by case, for every view of it to be driven
// through: the Qt window's tests and the Win32 window's driver run the same
// table, so a case means the same on both. Plain C++, no test framework.
//
// Each case starts from a window just opened (start-up done) and runs, in
// order: if `before` is set, "calcola" on the start-up texts; the clicks on
// the check boxes named by the digits of `clicks`, as a user clicks (a locked
// box ignores it); then, when `quarzo` is not null, it types `quarzo` and
// `velmiro` into the two combo boxes (replacing their texts) and presses
// "calcola". Then it compares.
#pragma once

#include <array>

namespace velmiro::cases {

// Colour of a result's text: the view's own text colour, or a fixed one.
enum class Tint { Default, Green, Red };

struct Box {
    const char* title;
    const char* prompt;  // lines joined by "\r\n"
};

struct WindowCase {
    const char* name;
    bool before;
    const char* clicks;
    const char* quarzo;
    const char* velmiro;

    // SPBRG, achieved rate and deviation after the case, and the deviation's tint.
    std::array<const char*, 3> results;
    Tint tint;
    // The one box shown, if any (title null when none). While it is up, the
    // results already read as they do after the case.
    Box box;
    // Each box's state after the case: "0"/"1" checked, then "e"/"d" enabled or
    // disabled, for SYNC, BRG16 and BRGH; e.g. "0e0e1e" after start-up.
    const char* boxes;
};

inline constexpr Box noBox{nullptr, nullptr};
inline constexpr std::array<const char*, 3> none{"", "", ""};
inline constexpr Box tooLow{"Baud Rate Generator",
                            "Valori troppo bassi di SPBRG.   \r\n"
                            "Aumentare il clock o diminuire la frequenza o impostare il BRGH"};
inline constexpr Box typeMismatch{"Velmiro", "Errore di run-time '13': Tipo non corrispondente"};
inline constexpr Box overflow{"Velmiro", "Errore di run-time '6': Overflow"};
inline constexpr Box divisionByZero{"Velmiro", "Errore di run-time '11': Divisione per zero"};

// Captions and tooltips of each box, clear and set, for comparing `boxes`.
inline constexpr const char* captions[3][2] = {
    {"SYNC: 0", "SYNC: 1"}, {"BRG16: 0", "BRG16: 1"}, {"BRGH: 0", "BRGH: 1"}};
inline constexpr const char* tooltips[3][2] = {
    {"Modalità Asincrona", "Modalità Sincrona"},
    {"Generatore di Baud rate a 8 bit", "Generatore di Baud rate a 16 bit"},
    {"Bassa velocità", "Alta velocità"}};

// clang-format off
inline constexpr WindowCase windowCases[] = {
    // name, before, clicks, quarzo, velmiro, results, tint, box, boxes
    {"start-up", false, "", nullptr, nullptr, none, Tint::Default, noBox, "0e0e1e"},
    {"defaults", false, "", "20.000.000", "19.200", {"64", "19231 ottenuti", "errore: 0,16%"}, Tint::Green, noBox, "0e0e1e"},
    {"out of tolerance", false, "2", "20.000.000", "9.600", {"32", "9470 ottenuti", "errore: -1,35%"}, Tint::Red, noBox, "0e0e0e"},
    {"16-bit generator", false, "1", "20.000.000", "115.200", {"42", "116279 ottenuti", "errore: 0,94%"}, Tint::Green, noBox, "0e1e1e"},
    {"synchronous", false, "0", "8.000.000", "9.600", {"207", "9615 ottenuti", "errore: 0,16%"}, Tint::Green, noBox, "1e0e0d"},
    {"a tiny negative deviation has no sign", false, "", "11.059.000", "115.200", {"5", "115198 ottenuti", "errore: 0,0%"}, Tint::Green, noBox, "0e0e1e"},
    {"too low", false, "", "1.000.000", "115.200", {"0", "", "errore: "}, Tint::Default, tooLow, "0e0e1e"},
    {"too low keeps the last colour", true, "2", "1.000.000", "115.200", {"-1", "", "errore: "}, Tint::Green, tooLow, "0e0e0e"},
    {"crystal 0", false, "", "0", "19.200", {"-1", "", "errore: "}, Tint::Default, tooLow, "0e0e1e"},
    {"empty crystal", true, "", "", "19.200", none, Tint::Default, typeMismatch, "0e0e1e"},
    {"letters in the rate", true, "", "20.000.000", "19.2", none, Tint::Default, typeMismatch, "0e0e1e"},
    {"zero rate", true, "", "20.000.000", "0", none, Tint::Default, divisionByZero, "0e0e1e"},
    {"register overflows", true, "1", "20.000.000", "100", none, Tint::Default, overflow, "0e1e1e"},
    {"no half result after an overflow", true, "", "20.000.000", "300", none, Tint::Default, overflow, "0e0e1e"},
    {"SYNC locks BRGH", false, "0", nullptr, nullptr, none, Tint::Default, noBox, "1e0e0d"},
    {"a locked BRGH ignores a click", false, "02", nullptr, nullptr, none, Tint::Default, noBox, "1e0e0d"},
    {"clearing SYNC leaves BRGH clear", false, "00", nullptr, nullptr, none, Tint::Default, noBox, "0e0e0e"},
    {"SYNC with BRG16", false, "10", nullptr, nullptr, none, Tint::Default, noBox, "1e1e0d"},
    {"clicks alone do not compute", true, "2", nullptr, nullptr, {"64", "19231 ottenuti", "errore: 0,16%"}, Tint::Green, noBox, "0e0e0e"},
};
// clang-format on

}  // namespace velmiro::cases
