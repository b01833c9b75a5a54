#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

#include "clocks.h"
#include "columns.h"
#include "velmiro/report.h"

namespace velmiro::report {

namespace {

using columns::Json;
using columns::Line;

// ", tolleranza 1%", and the clock error when there is one.
std::string judgementText(const Judgement& j) {
    std::string text = ", tolleranza " + percentText(j.tolerancePercent) + '%';
    if (j.clockErrorPercent > 0.0)
        text += ", errore del clock " + percentText(j.clockErrorPercent) + '%';
    return text;
}

// The lines under the question: the clock chain when there is more to it
// than the given clock, the part as read and what its erratum means.
void writePortLines(std::ostream& out, const Port& port, std::optional<std::int32_t> clock) {
    const Family& family = port.family();
    if (clock)
        clocks::writeChain(out, port, *clock);
    if (!port.device.empty())
        out << "Dispositivo " << port.device << " (famiglia " << family.key << ")\n";
    if (port.peripheral.erratum != nullptr)
        out << "Nota: " << port.peripheral.erratum->note << '\n';
}

// Compare and register in text: a line per mode, the best marked; in a
// terminal narrower than the whole line the divisor goes first, then the
// bits (the mode's key spells them), then the achieved rate.
void writeModeLines(std::ostream& out, const Query& query, const Comparison& c, bool worstCase,
                    std::size_t width) {
    const Line question = columns::lineOf(query.port, query.judgement);
    std::vector<Line> lines;
    for (std::size_t i = 0; i < c.modes.size(); ++i)
        lines.push_back(question.with(c.modes[i], c.isBest(i)));
    const auto shown =
        columns::fitted(columns::shown(columns::modeList, query.port, worstCase), 2, lines, width);
    columns::writeTextHeading(out, shown, 2);
    for (const Line& line : lines)
        columns::writeTextLine(out, shown, line, 2);
    if (c.modes.empty())
        out << "  (nessun modo)\n";
}

// Under a listing that shows a mode sampling each bit once: what "1 campione" means.
void writeSamplingNote(std::ostream& out, const Comparison& c) {
    for (const ModeResult& r : c.modes) {
        if (r.mode->samplesOnce)
            out << "\n(1 campione) nel modo " << r.mode->key
                << " ogni bit è letto una volta sola, senza rilevazione a maggioranza\n";
    }
}

// A JSON list of the modes of a comparison.
Json modesJson(const Line& question, const Comparison& c) {
    Json list = Json::array();
    for (std::size_t i = 0; i < c.modes.size(); ++i)
        list.push_back(columns::jsonOf(columns::modeList, question.with(c.modes[i], c.isBest(i))));
    return list;
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
    Line question = columns::lineOf(query.port, query.judgement);
    question.clock = query.crystal;
    question.rate = query.rate;
    switch (format) {
        case Format::Json: {
            Json doc = columns::jsonOf(columns::questionKeys, question);
            doc["modes"] = modesJson(question, modes);
            out << doc.dump(2) << '\n';
            return;
        }
        case Format::Csv: {
            columns::writeCsvHeading(out, columns::questionCsv);
            for (std::size_t i = 0; i < modes.modes.size(); ++i)
                columns::writeCsvLine(out, columns::questionCsv,
                                      question.with(modes.modes[i], modes.isBest(i)));
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
    writeModeLines(out, query, modes, query.rate && query.judgement.clockErrorPercent > 0.0, width);
    if (const ModeResult* best = modes.bestMode())
        out << "\n* modo migliore: " << best->mode->key << '\n';
    writeSamplingNote(out, modes);
}

void writeTable(std::ostream& out, Format format, const Query& query,
                std::span<const TableRow> rows) {
    const Family& family = query.port.family();
    Line question = columns::lineOf(query.port, query.judgement);
    question.clock = query.crystal;
    if (format == Format::Json) {
        Json list = Json::array();
        for (const TableRow& row : rows) {
            Line line = question;
            line.rate = row.rate;
            Json json = columns::jsonOf(columns::rowKeys, line);
            json["modes"] = modesJson(line, row.modes);
            list.push_back(std::move(json));
        }
        Json doc = columns::jsonOf(columns::tableKeys, question);
        doc["rows"] = std::move(list);
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        columns::writeCsvHeading(out, columns::tableCsv);
        for (const TableRow& row : rows) {
            for (std::size_t i = 0; i < row.modes.modes.size(); ++i) {
                Line line = question.with(row.modes.modes[i], row.modes.isBest(i));
                line.rate = row.rate;
                columns::writeCsvLine(out, columns::tableCsv, line);
            }
        }
        return;
    }
    out << clocks::title(query.port) << ' ' << query.crystal << " Hz"
        << judgementText(query.judgement) << '\n';
    writePortLines(out, query.port, query.crystal);
    if (rows.empty())
        return;
    // One block per mode, as datasheets print them; a limited n carries its mark.
    std::vector<std::vector<Line>> blocks(rows.front().modes.modes.size());
    std::vector<Line> all;
    for (std::size_t m = 0; m < blocks.size(); ++m) {
        for (const TableRow& row : rows) {
            Line line = question.with(row.modes.modes[m], row.modes.isBest(m));
            line.rate = row.rate;
            blocks[m].push_back(line);
            all.push_back(line);
        }
    }
    // One width for every block, so that they line up.
    const auto shown = columns::fitted(
        columns::shown(columns::tableText, query.port, query.judgement.clockErrorPercent > 0.0), 2,
        all, 0);
    for (const std::vector<Line>& block : blocks) {
        const ModeInfo& mode = *block.front().mode->mode;
        out << fmt::format(FMT_COMPILE("\nModo {}: {}, divisore {}\n"), mode.key,
                           bitsText(family, mode), mode.divisor);
        columns::writeTextHeading(out, shown, 2);
        for (const Line& line : block)
            columns::writeTextLine(out, shown, line, 2);
    }
    out << "\n* modo migliore per quel baud rate\n";
    writeSamplingNote(out, rows.front().modes);
}

void writeCrystals(std::ostream& out, Format format, const Port& port,
                   std::span<const std::int32_t> rates, const Judgement& judgement,
                   std::span<const CrystalFit> fits) {
    Line question = columns::lineOf(port, judgement);
    question.rates = rates;
    // A line per rate of each crystal, with the best mode for it.
    const auto lineOf = [&](const CrystalFit& fit, std::size_t i) {
        Line line = question.with(fit.rates[i], true);
        line.clock = fit.crystal;
        line.fit = &fit;
        line.rate = rates[i];
        return line;
    };
    if (format == Format::Json) {
        Json list = Json::array();
        for (const CrystalFit& fit : fits) {
            Json perRate = Json::array();
            for (std::size_t i = 0; i < fit.rates.size(); ++i) {
                Json json = columns::jsonOf(columns::rowKeys, lineOf(fit, i));
                json.update(columns::jsonOf(columns::modeList, lineOf(fit, i)));
                perRate.push_back(std::move(json));
            }
            Line crystal = question;
            crystal.clock = fit.crystal;
            crystal.fit = &fit;
            Json json = columns::jsonOf(columns::crystalKeys, crystal);
            json["rates"] = std::move(perRate);
            list.push_back(std::move(json));
        }
        Json doc = columns::jsonOf(columns::crystalsKeys, question);
        doc["crystals"] = std::move(list);
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        columns::writeCsvHeading(out, columns::crystalsCsv);
        for (const CrystalFit& fit : fits) {
            for (std::size_t i = 0; i < fit.rates.size(); ++i)
                columns::writeCsvLine(out, columns::crystalsCsv, lineOf(fit, i));
        }
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
    std::vector<Line> lines;
    for (const CrystalFit& fit : fits) {
        for (std::size_t i = 0; i < fit.rates.size(); ++i)
            lines.push_back(lineOf(fit, i));
    }
    const auto shown =
        columns::fitted(columns::shown(columns::crystalsText, port, false), 0, lines, 0);
    out << '\n';
    columns::writeTextHeading(out, shown, 0);
    // The crystal and its worst deviation on its first line only.
    for (const Line& line : lines)
        columns::writeTextLine(out, shown, line, 0, line.mode == line.fit->rates.data() ? 0 : 2);
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
