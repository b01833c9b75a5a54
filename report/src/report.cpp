#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

#include "clocks.h"
#include "velmiro/report.h"

namespace velmiro::report {

namespace {

using Json = nlohmann::ordered_json;

const char* const dash = "—";

std::string orDash(const std::optional<double>& value) {
    return value ? decimalText(*value, 2) : dash;
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// "BRG16" -> "brg16": the JSON and CSV name of a bit or a register.
std::string keyOf(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return key;
}

Json modeJson(const Family& family, const ModeResult& r, bool best) {
    const bool holds = r.registerHolds();
    Json mode{{"mode", r.mode->key}};
    for (const BitColumn& bit : family.bits)
        mode[keyOf(bit.name)] = r.mode->mode.*bit.value;
    mode.update(Json{
        {"divisor", r.mode->divisor},
        {"register", r.registerValue},
        {"needed_register", r.neededRegister},
        {"limited", r.limited()},
    });
    for (const RegisterName& column : family.columns) {
        mode[keyOf(column.name)] =
            holds ? Json(registerPart(r.registerValue, column.part)) : Json(nullptr);
    }
    mode.update(Json{
        {"achieved", orNull(r.achieved)},
        {"deviation_percent", orNull(r.deviationPercent)},
        {"worst_case_percent", orNull(r.worstCasePercent)},
        {"verdict", r.verdict ? Json(verdictKey(*r.verdict)) : Json(nullptr)},
        {"best", best},
    });
    return mode;
}

Json modesJson(const Family& family, const Comparison& c) {
    Json list = Json::array();
    for (std::size_t i = 0; i < c.modes.size(); ++i)
        list.push_back(modeJson(family, c.modes[i], c.isBest(i)));
    return list;
}

// The clock the generator counts, in Hz: whole, or with its half.
Json generatorClockJson(const Port& port, std::int32_t clock) {
    const double hertz = port.peripheral.generatorClock(clock);
    if (hertz == std::floor(hertz))
        return static_cast<std::int64_t>(hertz);
    return hertz;
}

// The judgement, then which port: the keys every document has after its question.
Json judgementJson(const Judgement& j, const Port& port) {
    return {{"tolerance_percent", j.tolerancePercent},
            {"clock_error_percent", j.clockErrorPercent},
            {"family", port.family().key},
            {"device", port.device.empty() ? Json(nullptr) : Json(port.device)}};
}

Json portJson(const Judgement& j, const Port& port, std::int32_t clock) {
    Json json = judgementJson(j, port);
    json["generator_clock_hz"] = generatorClockJson(port, clock);
    clocks::addJson(json, port, clock);
    return json;
}

Json withFirst(Json first, const Json& rest) {
    first.update(rest);
    return first;
}

// One CSV line of the values of flat JSON objects, null as an empty field.
std::string csvLine(const Json& record) {
    std::string line;
    for (const auto& [key, value] : record.items()) {
        if (!line.empty())
            line += ',';
        if (value.is_string())
            line += value.get<std::string>();  // keys and verdicts: no comma or quote
        else if (!value.is_null())
            line += value.dump();
    }
    return line + "\r\n";
}

std::string csvHeader(const Json& record) {
    std::string line;
    for (const auto& [key, value] : record.items())
        line += (line.empty() ? "" : ",") + key;
    return line + "\r\n";
}

// The first fields of each line, then those of a mode of the family.
void writeCsv(std::ostream& out, const Family& family, const Json& leading,
              const std::vector<Json>& records) {
    ModeResult shape;
    shape.mode = &family.modes.front();
    out << csvHeader(withFirst(leading, modeJson(family, shape, false)));
    for (const Json& record : records)
        out << csvLine(record);
}

// The port's fields that lead each CSV line, with the clock given when it is
// the same on every line: a CSV row says which question it answers.
Json portCsv(const Port& port, std::optional<std::int32_t> clock) {
    Json json{{"family", port.family().key}, {"device", port.device}};
    if (clock) {
        json["crystal"] = *clock;
        json["generator_clock_hz"] = generatorClockJson(port, *clock);
    }
    return json;
}

// Right-aligned in `width` columns. fmt would measure each text's display
// width itself, which costs more start-up time than the whole calculation;
// here "—" simply counts as one column, as does any other character.
std::string right(const std::string& text, std::size_t width) {
    const auto columns =
        static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    return std::string(width > columns ? width - columns : 0, ' ') + text;
}

// A mode that samples each bit once says so beside its verdict.
std::string verdictOrDash(const ModeResult& r) {
    if (!r.verdict)
        return dash;
    return std::string(verdictText(*r.verdict)) + (r.mode->samplesOnce ? " (1 campione)" : "");
}

// ", tolleranza 1%", and the clock error when there is one.
std::string judgementText(const Judgement& j) {
    std::string text = ", tolleranza " + percentText(j.tolerancePercent) + '%';
    if (j.clockErrorPercent > 0.0)
        text += ", errore del clock " + percentText(j.clockErrorPercent) + '%';
    return text;
}

// The lines under the question: the clock the generator counts when it is
// not the given one, the part as read and what its erratum means.
void writePortLines(std::ostream& out, const Port& port, std::optional<std::int32_t> clock) {
    const Family& family = port.family();
    if (clock)
        clocks::writeChain(out, port, *clock);
    if (!port.device.empty())
        out << "Dispositivo " << port.device << " (famiglia " << family.key << ")\n";
    if (port.peripheral.erratum != nullptr)
        out << "Nota: " << port.peripheral.erratum->note << '\n';
}

// Under a listing that shows a mode sampling each bit once: what "1 campione" means.
void writeSamplingNote(std::ostream& out, const Comparison& c) {
    for (const ModeResult& r : c.modes) {
        if (r.mode->samplesOnce)
            out << "\n(1 campione) nel modo " << r.mode->key
                << " ogni bit è letto una volta sola, senza rilevazione a maggioranza\n";
    }
}

// A register column is as wide as its name or its widest value: "0xFFFFF"
// for a whole register of 20 bits.
std::size_t columnWidth(const Family& family, const RegisterName& column) {
    const std::int64_t widest = registerMaximum(family.modes.back());
    const std::size_t value = column.part == RegisterPart::Whole
                                  ? registerHex(widest, column.part).size()
                              : column.part == RegisterPart::Word ? 6
                                                                  : 4;
    return std::max<std::size_t>(column.name.size(), value);
}

// Characters as a terminal counts them: "—" and "à" are one column each.
std::size_t columnsOf(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The widths of the number columns: their usual ones, wider where a value
// needs it (a deviation of 53687091075,00 %, n = 1048575 (max)).
struct NumberWidths {
    std::size_t n = 11;
    std::size_t achieved = 10;
    std::size_t deviation = 8;
    std::size_t worst = 10;

    void widen(const ModeResult& r) {
        n = std::max(n, registerText(r).size());
        achieved = std::max(achieved, columnsOf(orDash(r.achieved)));
        deviation = std::max(deviation, columnsOf(orDash(r.deviationPercent)));
        worst = std::max(worst, columnsOf(orDash(r.worstCasePercent)));
    }
};

NumberWidths widthsOf(const Comparison& c) {
    NumberWidths widths;
    for (const ModeResult& r : c.modes)
        widths.widen(r);
    return widths;
}

// Which columns a row shows. In a terminal narrower than the whole row the
// divisor goes first, then the bits (the mode's key spells them), then the
// achieved rate: n, the register's bytes, the deviation and the verdict stay.
struct ModeColumns {
    bool divisor = true;
    bool bits = true;
    bool achieved = true;
};

ModeColumns modeColumnsFor(const Family& family, const Comparison& c, bool worstCase,
                           std::size_t width) {
    ModeColumns shown;
    if (width == 0)
        return shown;
    std::size_t bits = 0;
    for (const BitColumn& bit : family.bits)
        bits += 2 + bit.name.size();
    std::size_t registers = 0;
    for (const RegisterName& column : family.columns)
        registers += 2 + columnWidth(family, column);
    std::size_t verdict = columnsOf("esito");
    for (const ModeResult& r : c.modes)
        verdict = std::max(verdict, columnsOf(verdictOrDash(r)));
    const NumberWidths w = widthsOf(c);
    std::size_t total = 6 + bits + 10 + 2 + w.n + registers + 2 + w.achieved + 2 + w.deviation +
                        (worstCase ? 2 + w.worst : 0) + 2 + verdict;
    const auto drop = [&](bool& column, std::size_t columns) {
        if (total > width) {
            column = false;
            total -= columns;
        }
    };
    drop(shown.divisor, 10);
    drop(shown.bits, bits);
    drop(shown.achieved, 2 + w.achieved);
    return shown;
}

void writeModeLines(std::ostream& out, const Family& family, const Comparison& c, bool worstCase,
                    std::size_t width) {
    const ModeColumns shown = modeColumnsFor(family, c, worstCase, width);
    const NumberWidths w = widthsOf(c);
    out << "  modo";
    for (const BitColumn& bit : family.bits) {
        if (shown.bits)
            out << "  " << bit.name;
    }
    out << (shown.divisor ? "  divisore" : "") << "  " << right("n", w.n);
    for (const RegisterName& column : family.columns)
        out << "  " << right(std::string(column.name), columnWidth(family, column));
    if (shown.achieved)
        out << "  " << right("ottenuti", w.achieved);
    out << "  " << right("scost. %", w.deviation);
    if (worstCase)
        out << "  " << right("peggiore %", w.worst);
    out << "  esito\n";
    for (std::size_t i = 0; i < c.modes.size(); ++i) {
        const ModeResult& r = c.modes[i];
        out << fmt::format(FMT_COMPILE("{} {:<4}"), c.isBest(i) ? '*' : ' ', r.mode->key);
        for (const BitColumn& bit : family.bits) {
            if (shown.bits)
                out << "  " << right(std::to_string(r.mode->mode.*bit.value), bit.name.size());
        }
        if (shown.divisor)
            out << fmt::format(FMT_COMPILE("  {:>8}"), r.mode->divisor);
        out << "  " << right(registerText(r), w.n);
        for (const RegisterName& column : family.columns) {
            out << "  "
                << right(r.registerHolds() ? registerHex(r.registerValue, column.part) : dash,
                         columnWidth(family, column));
        }
        if (shown.achieved)
            out << "  " << right(orDash(r.achieved), w.achieved);
        out << "  " << right(orDash(r.deviationPercent), w.deviation);
        if (worstCase)
            out << "  " << right(orDash(r.worstCasePercent), w.worst);
        out << "  " << verdictOrDash(r) << '\n';
    }
    if (c.modes.empty())
        out << "  (nessun modo)\n";
}

// "SYNC 0, BRG16 1, BRGH 0": a mode's bits by name.
std::string bitsText(const Family& family, const ModeInfo& mode) {
    std::string text;
    for (const BitColumn& bit : family.bits)
        text += fmt::format(FMT_COMPILE("{}{} {}"), text.empty() ? "" : ", ", bit.name,
                            mode.mode.*bit.value);
    return text;
}

}  // namespace

Port portOf(const Device& device) {
    return {device.peripheral(), device.part};
}

std::span<const std::int32_t> defaultTableRates() {
    static constexpr std::array<std::int32_t, 8> rates{300,   1200,  2400,  9600,
                                                       10417, 19200, 57600, 115200};
    return rates;
}

std::vector<TableRow> tableOf(const Peripheral& peripheral, std::int32_t crystal,
                              std::span<const std::int32_t> rates, const Judgement& judgement,
                              const ModeChoice& choice) {
    std::vector<TableRow> rows;
    for (const std::int32_t rate : rates) {
        TableRow row{rate, compareModes(peripheral, crystal, rate, judgement, choice)};
        // The synchronous blocks only on request. They come last in table order
        // and do not compete then, so the best index stays where it is.
        if (choice.key.empty() && !choice.sync)
            std::erase_if(row.modes.modes,
                          [](const ModeResult& r) { return r.mode->mode.sync != 0; });
        rows.push_back(std::move(row));
    }
    return rows;
}

void writeModes(std::ostream& out, Format format, const Query& query, const Comparison& modes,
                std::size_t width) {
    const Family& family = query.port.family();
    switch (format) {
        case Format::Json: {
            const Json doc =
                withFirst({{"crystal", query.crystal}, {"rate", orNull(query.rate)}},
                          withFirst(portJson(query.judgement, query.port, query.crystal),
                                    {{"modes", modesJson(family, modes)}}));
            out << doc.dump(2) << '\n';
            return;
        }
        case Format::Csv: {
            const Json leading =
                withFirst(portCsv(query.port, query.crystal), {{"rate", orNull(query.rate)}});
            std::vector<Json> records;
            for (std::size_t i = 0; i < modes.modes.size(); ++i)
                records.push_back(
                    withFirst(leading, modeJson(family, modes.modes[i], modes.isBest(i))));
            writeCsv(out, family, leading, records);
            return;
        }
        case Format::Text:
            break;
    }
    out << clocks::title(query.port) << ' ' << query.crystal << " Hz";
    if (query.registerValue)
        out << ", registro " << *query.registerValue;
    // Without a rate there is nothing to judge, and no tolerance to speak of.
    if (query.rate)
        out << ", baud rate " << *query.rate << judgementText(query.judgement);
    out << '\n';
    writePortLines(out, query.port, query.crystal);
    out << '\n';
    writeModeLines(out, family, modes, query.rate && query.judgement.clockErrorPercent > 0.0,
                   width);
    if (const ModeResult* best = modes.bestMode())
        out << "\n* modo migliore: " << best->mode->key << '\n';
    writeSamplingNote(out, modes);
}

void writeTable(std::ostream& out, Format format, const Query& query,
                std::span<const TableRow> rows) {
    const Family& family = query.port.family();
    if (format == Format::Json) {
        Json list = Json::array();
        for (const TableRow& row : rows)
            list.push_back({{"rate", row.rate}, {"modes", modesJson(family, row.modes)}});
        const Json doc = withFirst(
            {{"crystal", query.crystal}},
            withFirst(portJson(query.judgement, query.port, query.crystal), {{"rows", list}}));
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        const Json leading = withFirst(portCsv(query.port, query.crystal), {{"rate", 0}});
        std::vector<Json> records;
        for (const TableRow& row : rows) {
            for (std::size_t i = 0; i < row.modes.modes.size(); ++i) {
                Json first = leading;
                first["rate"] = row.rate;
                records.push_back(
                    withFirst(first, modeJson(family, row.modes.modes[i], row.modes.isBest(i))));
            }
        }
        writeCsv(out, family, leading, records);
        return;
    }
    out << clocks::title(query.port) << ' ' << query.crystal << " Hz"
        << judgementText(query.judgement) << '\n';
    writePortLines(out, query.port, query.crystal);
    if (rows.empty())
        return;
    const bool worstCase = query.judgement.clockErrorPercent > 0.0;
    NumberWidths w;
    for (const TableRow& row : rows) {
        for (const ModeResult& r : row.modes.modes)
            w.widen(r);
    }
    // One block per mode, as datasheets print them; a limited n carries its mark.
    for (std::size_t m = 0; m < rows.front().modes.modes.size(); ++m) {
        const ModeInfo& mode = *rows.front().modes.modes[m].mode;
        out << fmt::format(FMT_COMPILE("\nModo {}: {}, divisore {}\n"), mode.key,
                           bitsText(family, mode), mode.divisor);
        out << "   baud rate  " << right("ottenuti", w.achieved) << "  "
            << right("scost. %", w.deviation);
        if (worstCase)
            out << "  " << right("peggiore %", w.worst);
        out << "  " << right("n", w.n) << "  esito\n";
        for (const TableRow& row : rows) {
            const ModeResult& r = row.modes.modes[m];
            out << fmt::format(FMT_COMPILE("{} {:>10}  {}  {}"), row.modes.isBest(m) ? '*' : ' ',
                               row.rate, right(orDash(r.achieved), w.achieved),
                               right(orDash(r.deviationPercent), w.deviation));
            if (worstCase)
                out << "  " << right(orDash(r.worstCasePercent), w.worst);
            out << "  " << right(registerText(r), w.n) << "  " << verdictOrDash(r) << '\n';
        }
    }
    out << "\n* modo migliore per quel baud rate\n";
    writeSamplingNote(out, rows.front().modes);
}

void writeCrystals(std::ostream& out, Format format, const Port& port,
                   std::span<const std::int32_t> rates, const Judgement& judgement,
                   std::span<const CrystalFit> fits) {
    const Family& family = port.family();
    if (format == Format::Json) {
        Json list = Json::array();
        for (const CrystalFit& fit : fits) {
            Json perRate = Json::array();
            for (std::size_t i = 0; i < fit.rates.size(); ++i)
                perRate.push_back(
                    withFirst({{"rate", rates[i]}}, modeJson(family, fit.rates[i], true)));
            list.push_back({{"crystal", fit.crystal},
                            {"generator_clock_hz", generatorClockJson(port, fit.crystal)},
                            {"worst_deviation_percent", fit.worstDeviationPercent},
                            {"rates", perRate}});
        }
        const Json doc = withFirst({{"rates", rates}},
                                   withFirst(judgementJson(judgement, port), {{"crystals", list}}));
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        const Json leading = withFirst(portCsv(port, std::nullopt), {{"crystal", 0},
                                                                     {"generator_clock_hz", 0},
                                                                     {"worst_deviation_percent", 0},
                                                                     {"rate", 0}});
        std::vector<Json> records;
        for (const CrystalFit& fit : fits) {
            for (std::size_t i = 0; i < fit.rates.size(); ++i) {
                Json first = leading;
                first["crystal"] = fit.crystal;
                first["generator_clock_hz"] = generatorClockJson(port, fit.crystal);
                first["worst_deviation_percent"] = fit.worstDeviationPercent;
                first["rate"] = rates[i];
                records.push_back(withFirst(first, modeJson(family, fit.rates[i], true)));
            }
        }
        writeCsv(out, family, leading, records);
        return;
    }
    out << "Baud rate " << fmt::format(FMT_COMPILE("{}"), fmt::join(rates, ", "))
        << judgementText(judgement) << '\n';
    writePortLines(out, port, std::nullopt);
    if (fits.empty()) {
        out << "\nNessun " << clocks::word(port)
            << " comune dà tutti i baud rate entro la tolleranza.\n";
        return;
    }
    out << "\n"
        << right(clocks::word(port), 11)
        << "  peggiore %   baud rate  modo            n  scost. %\n";
    for (const CrystalFit& fit : fits) {
        for (std::size_t i = 0; i < fit.rates.size(); ++i) {
            const ModeResult& r = fit.rates[i];
            out << (i == 0 ? fmt::format(FMT_COMPILE("{:>11}  {}"), fit.crystal,
                                         right(decimalText(fit.worstDeviationPercent, 2), 10))
                           : std::string(23, ' '))
                << fmt::format(FMT_COMPILE("  {:>10}  {:<3}   {:>11}  {}\n"), rates[i], r.mode->key,
                               registerText(r), right(orDash(r.deviationPercent), 8));
        }
    }
}

void writeHeader(std::ostream& out, std::string_view prefix, const Query& query,
                 const ModeResult& mode) {
    const Family& family = query.port.family();
    const std::string deviation = decimalText(*mode.deviationPercent, 2);
    out << fmt::format(
        FMT_COMPILE("/* velmiro-cli {}: {} {} Hz, {} baud, modo {}, scostamento {}% */\n"),
        VELMIRO_VERSION, clocks::word(query.port), query.crystal, *query.rate, mode.mode->key,
        deviation);
    if (!query.port.device.empty())
        out << "/* " << query.port.device << ", famiglia " << family.key << " */\n";
    if (query.port.peripheral.erratum != nullptr)
        out << "/* nota: " << query.port.peripheral.erratum->note << " */\n";
    out << fmt::format(FMT_COMPILE("#ifndef {}BAUD_H\n#define {}BAUD_H\n\n"), prefix, prefix);
    if (mode.verdict != Verdict::Ok) {
        std::string why = "scostamento " + deviation + '%';
        if (query.judgement.clockErrorPercent > 0.0)
            why += ", nel caso peggiore " + decimalText(*mode.worstCasePercent, 2) + '%';
        out << fmt::format(FMT_COMPILE("#warning \"{}BAUD: {}, fuori tolleranza ({}%)\"\n"), prefix,
                           why, percentText(query.judgement.tolerancePercent));
    }
    const auto define = [&](std::string_view name, const std::string& value) {
        out << "#define " << prefix << name << ' ' << value << '\n';
    };
    // A negative number in parentheses, so that the macro stays one operand.
    const auto signedValue = [](std::int64_t v) {
        return v < 0 ? fmt::format(FMT_COMPILE("({})"), v) : std::to_string(v);
    };
    // Each clock of the chain, rounded to the hertz only where it has a fraction.
    for (const auto& [name, value] : clocks::defines(query.port, query.crystal))
        define(name, value);
    define("BAUD", fmt::format(FMT_COMPILE("{}UL"), *query.rate));
    define("BAUD_REAL", fmt::format(FMT_COMPILE("{}UL"), std::llround(*mode.achieved)));
    define("BAUD_ERROR_PPM", signedValue(std::llround(*mode.deviationPercent * 10000.0)));
    for (const BitColumn& bit : family.bits)
        define(bit.name, std::to_string(mode.mode->mode.*bit.value));
    if (!family.sourceBits.empty())
        define(family.sourceBits, std::to_string(query.port.peripheral.source().select));
    define("BRG", std::to_string(mode.registerValue));
    for (const RegisterName& name : family.defines)
        define(name.name, registerHex(mode.registerValue, name.part));
    out << "\n#endif\n";
}

void writePortNotes(std::ostream& out, const Port& port, std::optional<std::int32_t> clock) {
    writePortLines(out, port, clock);
}

}  // namespace velmiro::report
