#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

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

Json modeJson(const ModeResult& r, bool best) {
    const GeneratorMode& m = r.mode->mode;
    const bool holds = r.registerHolds();
    return {
        {"mode", r.mode->key},
        {"sync", m.sync},
        {"brg16", m.brg16},
        {"brgh", m.brgh},
        {"divisor", r.mode->divisor},
        {"register", r.registerValue},
        {"needed_register", r.neededRegister},
        {"limited", r.limited()},
        {"spbrgh", holds ? Json(highByte(r.registerValue)) : Json(nullptr)},
        {"spbrg", holds ? Json(lowByte(r.registerValue)) : Json(nullptr)},
        {"achieved", orNull(r.achieved)},
        {"deviation_percent", orNull(r.deviationPercent)},
        {"worst_case_percent", orNull(r.worstCasePercent)},
        {"verdict", r.verdict ? Json(verdictKey(*r.verdict)) : Json(nullptr)},
        {"best", best},
    };
}

Json modesJson(const Comparison& c) {
    Json list = Json::array();
    for (std::size_t i = 0; i < c.modes.size(); ++i)
        list.push_back(modeJson(c.modes[i], c.isBest(i)));
    return list;
}

Json judgementJson(const Judgement& j) {
    return {{"tolerance_percent", j.tolerancePercent},
            {"clock_error_percent", j.clockErrorPercent}};
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

// The first fields of each line, then those of a mode.
void writeCsv(std::ostream& out, const Json& leading, const std::vector<Json>& records) {
    ModeResult shape;
    shape.mode = &modeTable().front();
    out << csvHeader(withFirst(leading, modeJson(shape, false)));
    for (const Json& record : records)
        out << csvLine(record);
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

std::string verdictOrDash(const ModeResult& r) {
    return r.verdict ? std::string(verdictText(*r.verdict)) : dash;
}

// ", tolleranza 1%", and the clock error when there is one.
std::string judgementText(const Judgement& j) {
    std::string text = ", tolleranza " + percentText(j.tolerancePercent) + '%';
    if (j.clockErrorPercent > 0.0)
        text += ", errore del clock " + percentText(j.clockErrorPercent) + '%';
    return text;
}

void writeModeLines(std::ostream& out, const Comparison& c, bool worstCase) {
    out << "  modo  SYNC  BRG16  BRGH  divisore            n  SPBRGH  SPBRG    ottenuti  scost. %"
        << (worstCase ? "  peggiore %" : "") << "  esito\n";
    for (std::size_t i = 0; i < c.modes.size(); ++i) {
        const ModeResult& r = c.modes[i];
        const GeneratorMode& m = r.mode->mode;
        out << fmt::format(
            FMT_COMPILE("{} {}   {:>4}  {:>5}  {:>4}  {:>8}  {:>11}  {}  {}  {}  {}"),
            c.isBest(i) ? '*' : ' ', r.mode->key, m.sync, m.brg16, m.brgh, r.mode->divisor,
            registerText(r),
            right(r.registerHolds() ? hexByte(highByte(r.registerValue)) : dash, 6),
            right(r.registerHolds() ? hexByte(lowByte(r.registerValue)) : dash, 5),
            right(orDash(r.achieved), 10), right(orDash(r.deviationPercent), 8));
        if (worstCase)
            out << "  " << right(orDash(r.worstCasePercent), 10);
        out << "  " << verdictOrDash(r) << '\n';
    }
    if (c.modes.empty())
        out << "  (nessun modo)\n";
}

}  // namespace

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

void writeModes(std::ostream& out, Format format, const Query& query, const Comparison& modes) {
    switch (format) {
        case Format::Json: {
            const Json doc =
                withFirst({{"crystal", query.crystal}, {"rate", orNull(query.rate)}},
                          withFirst(judgementJson(query.judgement), {{"modes", modesJson(modes)}}));
            out << doc.dump(2) << '\n';
            return;
        }
        case Format::Csv: {
            std::vector<Json> records;
            for (std::size_t i = 0; i < modes.modes.size(); ++i)
                records.push_back(modeJson(modes.modes[i], modes.isBest(i)));
            writeCsv(out, Json::object(), records);
            return;
        }
        case Format::Text:
            break;
    }
    out << "Quarzo " << query.crystal << " Hz";
    if (query.registerValue)
        out << ", registro " << *query.registerValue;
    // Without a rate there is nothing to judge, and no tolerance to speak of.
    if (query.rate)
        out << ", baud rate " << *query.rate << judgementText(query.judgement);
    out << "\n\n";
    writeModeLines(out, modes, query.rate && query.judgement.clockErrorPercent > 0.0);
    if (const ModeResult* best = modes.bestMode())
        out << "\n* modo migliore: " << best->mode->key << '\n';
}

void writeTable(std::ostream& out, Format format, const Query& query,
                std::span<const TableRow> rows) {
    if (format == Format::Json) {
        Json list = Json::array();
        for (const TableRow& row : rows)
            list.push_back({{"rate", row.rate}, {"modes", modesJson(row.modes)}});
        const Json doc = withFirst({{"crystal", query.crystal}},
                                   withFirst(judgementJson(query.judgement), {{"rows", list}}));
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        std::vector<Json> records;
        for (const TableRow& row : rows) {
            for (std::size_t i = 0; i < row.modes.modes.size(); ++i)
                records.push_back(withFirst({{"rate", row.rate}},
                                            modeJson(row.modes.modes[i], row.modes.isBest(i))));
        }
        writeCsv(out, {{"rate", 0}}, records);
        return;
    }
    out << "Quarzo " << query.crystal << " Hz" << judgementText(query.judgement) << '\n';
    if (rows.empty())
        return;
    const bool worstCase = query.judgement.clockErrorPercent > 0.0;
    // One block per mode, as datasheets print them; a limited n carries its mark.
    for (std::size_t m = 0; m < rows.front().modes.modes.size(); ++m) {
        const ModeInfo& mode = *rows.front().modes.modes[m].mode;
        out << fmt::format(FMT_COMPILE("\nModo {}: SYNC {}, BRG16 {}, BRGH {}, divisore {}\n"),
                           mode.key, mode.mode.sync, mode.mode.brg16, mode.mode.brgh, mode.divisor);
        out << "   baud rate    ottenuti  scost. %" << (worstCase ? "  peggiore %" : "")
            << "            n  esito\n";
        for (const TableRow& row : rows) {
            const ModeResult& r = row.modes.modes[m];
            out << fmt::format(FMT_COMPILE("{} {:>10}  {}  {}"), row.modes.isBest(m) ? '*' : ' ',
                               row.rate, right(orDash(r.achieved), 10),
                               right(orDash(r.deviationPercent), 8));
            if (worstCase)
                out << "  " << right(orDash(r.worstCasePercent), 10);
            out << "  " << right(registerText(r), 11) << "  " << verdictOrDash(r) << '\n';
        }
    }
    out << "\n* modo migliore per quel baud rate\n";
}

void writeCrystals(std::ostream& out, Format format, std::span<const std::int32_t> rates,
                   const Judgement& judgement, std::span<const CrystalFit> fits) {
    if (format == Format::Json) {
        Json list = Json::array();
        for (const CrystalFit& fit : fits) {
            Json perRate = Json::array();
            for (std::size_t i = 0; i < fit.rates.size(); ++i)
                perRate.push_back(withFirst({{"rate", rates[i]}}, modeJson(fit.rates[i], true)));
            list.push_back({{"crystal", fit.crystal},
                            {"worst_deviation_percent", fit.worstDeviationPercent},
                            {"rates", perRate}});
        }
        const Json doc = withFirst({{"rates", rates}},
                                   withFirst(judgementJson(judgement), {{"crystals", list}}));
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        std::vector<Json> records;
        for (const CrystalFit& fit : fits) {
            for (std::size_t i = 0; i < fit.rates.size(); ++i) {
                records.push_back(withFirst({{"crystal", fit.crystal},
                                             {"worst_deviation_percent", fit.worstDeviationPercent},
                                             {"rate", rates[i]}},
                                            modeJson(fit.rates[i], true)));
            }
        }
        writeCsv(out, {{"crystal", 0}, {"worst_deviation_percent", 0}, {"rate", 0}}, records);
        return;
    }
    out << "Baud rate " << fmt::format(FMT_COMPILE("{}"), fmt::join(rates, ", "))
        << judgementText(judgement) << '\n';
    if (fits.empty()) {
        out << "\nNessun quarzo comune dà tutti i baud rate entro la tolleranza.\n";
        return;
    }
    out << "\n     quarzo  peggiore %   baud rate  modo            n  scost. %\n";
    for (const CrystalFit& fit : fits) {
        for (std::size_t i = 0; i < fit.rates.size(); ++i) {
            const ModeResult& r = fit.rates[i];
            out << (i == 0 ? fmt::format(FMT_COMPILE("{:>11}  {}"), fit.crystal,
                                         right(decimalText(fit.worstDeviationPercent, 2), 10))
                           : std::string(23, ' '))
                << fmt::format(FMT_COMPILE("  {:>10}  {}   {:>11}  {}\n"), rates[i], r.mode->key,
                               registerText(r), right(orDash(r.deviationPercent), 8));
        }
    }
}

void writeHeader(std::ostream& out, std::string_view prefix, const Query& query,
                 const ModeResult& mode) {
    const GeneratorMode& m = mode.mode->mode;
    const std::string deviation = decimalText(*mode.deviationPercent, 2);
    out << fmt::format(
        FMT_COMPILE("/* velmiro-cli {}: quarzo {} Hz, {} baud, modo {}, scostamento {}% */\n"
                    "#ifndef {}BAUD_H\n#define {}BAUD_H\n\n"),
        VELMIRO_VERSION, query.crystal, *query.rate, mode.mode->key, deviation, prefix, prefix);
    if (mode.verdict != Verdict::Ok) {
        std::string why = "scostamento " + deviation + '%';
        if (query.judgement.clockErrorPercent > 0.0)
            why += ", nel caso peggiore " + decimalText(*mode.worstCasePercent, 2) + '%';
        out << fmt::format(FMT_COMPILE("#warning \"{}BAUD: {}, fuori tolleranza ({}%)\"\n"), prefix,
                           why, percentText(query.judgement.tolerancePercent));
    }
    const auto define = [&](const char* name, const std::string& value) {
        out << "#define " << prefix << name << ' ' << value << '\n';
    };
    // A negative number in parentheses, so that the macro stays one operand.
    const auto signedValue = [](std::int64_t v) {
        return v < 0 ? fmt::format(FMT_COMPILE("({})"), v) : std::to_string(v);
    };
    define("FOSC", fmt::format(FMT_COMPILE("{}UL"), query.crystal));
    define("BAUD", fmt::format(FMT_COMPILE("{}UL"), *query.rate));
    define("BAUD_REAL", fmt::format(FMT_COMPILE("{}UL"), std::llround(*mode.achieved)));
    define("BAUD_ERROR_PPM", signedValue(std::llround(*mode.deviationPercent * 10000.0)));
    define("SYNC", std::to_string(m.sync));
    define("BRG16", std::to_string(m.brg16));
    define("BRGH", std::to_string(m.brgh));
    define("BRG", std::to_string(mode.registerValue));
    define("SPBRG", hexByte(lowByte(mode.registerValue)));
    define("SPBRGH", hexByte(highByte(mode.registerValue)));
    out << "\n#endif\n";
}

}  // namespace velmiro::report
