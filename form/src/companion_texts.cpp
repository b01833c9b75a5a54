// The companion's fixed texts, its settings and what opens it.
#include <string>

#include "companion_parts.h"
#include "velmiro/companion.h"
#include "velmiro/link.h"
#include "velmiro/report.h"

namespace velmiro::companion {

namespace {

// clang-format off
const std::array<FieldText, fieldCount> texts{{
    {"&Quarzo:", "Quarzo", "", ""},
    {"&Baud rate:", "Baud rate", "", ""},
    {"To&lleranza %:", "Tolleranza", "Per esempio 1, 0,5 o 2,5", ""},
    {"&Errore del clock %:", "Errore del clock",
     "Ogni modo è giudicato sul caso peggiore: |scostamento| + errore del clock", ""},
    {"Disposi&tivo:", "Dispositivo",
     "Un PIC come PIC16F877A o PIC24FJ64GA002: sceglie la periferica e ne segue le errata",
     "facoltativo"},
    {"&Righe (baud rate):", "Baud rate della tabella",
     "Una riga per baud rate, separati da spazi", ""},
    {"Baud rate &voluti:", "Baud rate voluti", "", ""},
    {"Frequenza &da:", "Frequenza minima", "", "nessun minimo"},
    {"&fino a:", "Frequenza massima", "", "nessun massimo"},
    {"Prefiss&o:", "Prefisso", "", ""},
    {"C&hi è all'altro capo:", "Altro capo",
     "Un adattatore USB-seriale, esatto (una UART esatta, come quella di un PC), una "
     "periferica o un PIC come PIC16F877A", ""},
    {"Frequenza dell'altro capo:", "Frequenza dell'altro capo",
     "Il quarzo del PIC all'altro capo; solo per un PIC",
     "solo per un PIC"},
    {"Errore del cloc&k dell'altro capo %:", "Errore del clock dell'altro capo",
     "Vuoto: quello pubblicato per l'adattatore, altrimenti 0", "pubblicato"},
    {"Trama (es. &8N1):", "Trama", "Bit di dati 5-9, parità N, E o O, bit di stop 1 o 2: 8N1, 7E1, 9N2", ""},
    {"Margi&ne %:", "Margine", "Sotto questo margine l'esito è «al limite»", ""},
    {"PLL (es. &4):", "PLL",
     "Con un rapporto, come 4, 16 o M/N1/N2 come 40/2/2, il primo numero è il quarzo "
     "(o l'oscillatore interno) prima del PLL", "nessuno"},
    {"Clock dato:", "Clock dato",
     "Quale clock è il primo numero: quello della periferica, o quello che il generatore conta "
     "(Fcy, Fp); vuoto, il primo", "predefinito"},
    {"Sorgente:", "Sorgente del clock",
     "La sorgente del clock dell'UART (BCLKSEL); vuoto, quella dopo il reset", "predefinita"},
}};
// clang-format on

std::string defaultTableRates() {
    std::string rates;
    for (const std::int32_t rate : report::defaultTableRates())
        rates.append(rates.empty() ? "" : " ").append(std::to_string(rate));
    return rates;
}

}  // namespace

const FieldText& fieldText(Field field) {
    return texts.at(static_cast<std::size_t>(field));
}

std::optional<Tab> tabOfArgument(std::string_view argument) {
    for (const Opening& opening : openings) {
        if (argument == opening.argument)
            return opening.tab;
    }
    return std::nullopt;
}

const std::vector<Setting>& settings() {
    // The keys of the fields first, in Field order; then the choices and the window.
    static const std::vector<Setting> all{
        {keys::crystal, Kind::Text, form::crystalPresets[form::crystalDefault]},
        {keys::rate, Kind::Text, form::ratePresets[form::rateDefault]},
        {keys::tolerance, Kind::Text, "1"},
        {keys::clockError, Kind::Text, "0"},
        {keys::device, Kind::Text, ""},
        {keys::tableRates, Kind::Text, defaultTableRates()},
        {keys::crystalRates, Kind::Text, "9600 115200"},
        {keys::minimum, Kind::Text, ""},
        {keys::maximum, Kind::Text, ""},
        {keys::prefix, Kind::Text, "VELMIRO_"},
        {keys::peer, Kind::Text, std::string(adapters().front().name)},
        {keys::peerClock, Kind::Text, ""},
        {keys::peerClockError, Kind::Text, ""},
        {keys::frame, Kind::Text, "8N1"},
        {keys::margin, Kind::Text, "1"},
        {keys::pll, Kind::Text, ""},
        {keys::clock, Kind::Text, ""},
        {keys::source, Kind::Text, ""},
        {keys::allRates, Kind::Text, "false"},
        {keys::sync, Kind::Text, "false"},
        {keys::family, Kind::Text, "eusart"},
        {keys::tab, Kind::Int, "0"},
        {keys::width, Kind::Int, "900"},
        {keys::height, Kind::Int, "560"},
    };
    return all;
}

std::string windowDeviceProblem(std::string_view typed, const Device& device) {
    // The window has a Periferica list where the command line has --family.
    if (device.problem == DeviceProblem::Unknown)
        return "«" + std::string(typed) +
               "» non è un dispositivo che Velmiro conosce; scegliere la Periferica o "
               "svuotare Dispositivo";
    return report::deviceProblem(typed, device);
}

std::string windowFamilyConflict(const Device& device, const Family& family) {
    if (device.family == nullptr || device.family == &family)
        return {};
    const std::string own(device.family->key);
    return device.part + " ha la periferica " + own + ", non " + std::string(family.key) +
           ": scegliere la Periferica " + own + " o svuotare Dispositivo";
}

int familyIndexOf(const Family* family) {
    const auto all = families();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (&all[i] == family)
            return static_cast<int>(i);
    }
    return -1;
}

int fallbackInt(const char* key) {
    for (const Setting& setting : settings()) {
        if (std::string_view(setting.key) == key)
            return std::stoi(setting.fallback);
    }
    return 0;
}

std::string familyEntry(const Family& family) {
    return std::string(family.key) + " — " + std::string(family.parts);
}

}  // namespace velmiro::companion
