#include "report.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

namespace velmiro::cli {

namespace {

using Json = nlohmann::ordered_json;

const char* const dash = "—";

struct VerdictNames {
    const char* key;   // JSON and CSV
    const char* text;  // what a person reads
};

VerdictNames namesOf(Verdict verdict) {
    switch (verdict) {
        case Verdict::Ok:
            return {"ok", "ok"};
        case Verdict::OutOfTolerance:
            return {"out_of_tolerance", "fuori tolleranza"};
        case Verdict::RegisterTooSmall:
            return {"register_too_small", "registro troppo piccolo"};
        case Verdict::TooLow:
            return {"too_low", "troppo basso"};
    }
    return {"", ""};
}

// The Italian decimal comma in place of the point.
std::string withComma(std::string text) {
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// The tolerance as people write it: "1", "0,5".
std::string percentText(double value) {
    std::string text = fmt::format(FMT_COMPILE("{}"), value);
    if (text.ends_with(".0"))
        text.resize(text.size() - 2);
    return withComma(text);
}

std::string orDash(const std::optional<double>& value) {
    return value ? decimalText(*value, 2) : dash;
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json modeJson(const ModeResult& r) {
    const GeneratorMode& m = r.mode->mode;
    const bool fits = r.hasRate();
    return {
        {"mode", r.mode->key},
        {"sync", m.sync},
        {"brg16", m.brg16},
        {"brgh", m.brgh},
        {"divisor", r.mode->divisor},
        {"register", r.registerValue},
        {"spbrgh", fits ? Json(r.registerValue >> 8) : Json(nullptr)},
        {"spbrg", fits ? Json(r.registerValue & 0xFF) : Json(nullptr)},
        {"achieved", orNull(r.achieved)},
        {"deviation_percent", orNull(r.deviationPercent)},
        {"verdict", r.verdict ? Json(namesOf(*r.verdict).key) : Json(nullptr)},
        {"best", r.best},
    };
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

void writeCsv(std::ostream& out, const std::vector<Json>& records, const Json& emptyShape) {
    out << csvHeader(records.empty() ? emptyShape : records.front());
    for (const Json& record : records)
        out << csvLine(record);
}

// The shape of a record, for the header line of an empty CSV.
Json modeShape() {
    ModeResult r;
    r.mode = &modeTable().front();
    return modeJson(r);
}

Json withFirst(Json first, const Json& rest) {
    first.update(rest);
    return first;
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

std::string hexByte(std::int64_t value) {
    return fmt::format(FMT_COMPILE("0x{:02X}"), value);
}

constexpr const char* modeColumns =
    "  modo  SYNC  BRG16  BRGH  divisore      n  SPBRGH  SPBRG    ottenuti  scost. %  esito\n";

void writeModeLine(std::ostream& out, const ModeResult& r) {
    const GeneratorMode& m = r.mode->mode;
    out << fmt::format(
        FMT_COMPILE("{} {}   {:>4}  {:>5}  {:>4}  {:>8}  {:>5}  {}  {}  {}  {}  {}\n"),
        r.best ? '*' : ' ', r.mode->key, m.sync, m.brg16, m.brgh, r.mode->divisor, r.registerValue,
        right(r.hasRate() ? hexByte(r.registerValue >> 8) : dash, 6),
        right(r.hasRate() ? hexByte(r.registerValue & 0xFF) : dash, 5),
        right(orDash(r.achieved), 10), right(orDash(r.deviationPercent), 8),
        r.verdict ? namesOf(*r.verdict).text : dash);
}

std::string bestNote(std::span<const ModeResult> modes) {
    for (const ModeResult& r : modes) {
        if (r.best)
            return fmt::format(FMT_COMPILE("\n* modo migliore: {}\n"), r.mode->key);
    }
    return "";
}

}  // namespace

std::string decimalText(double value, int decimals) {
    std::string text = fmt::format(FMT_COMPILE("{:.{}f}"), value, decimals);
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return withComma(text);
}

void writeModes(std::ostream& out, Format format, const Query& query,
                std::span<const ModeResult> modes) {
    switch (format) {
        case Format::Json: {
            Json list = Json::array();
            for (const ModeResult& r : modes)
                list.push_back(modeJson(r));
            const Json doc = {{"crystal", query.crystal},
                              {"rate", orNull(query.rate)},
                              {"tolerance_percent", query.tolerancePercent},
                              {"modes", list}};
            out << doc.dump(2) << '\n';
            return;
        }
        case Format::Csv: {
            std::vector<Json> records;
            for (const ModeResult& r : modes)
                records.push_back(modeJson(r));
            writeCsv(out, records, modeShape());
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
        out << ", baud rate " << *query.rate << ", tolleranza "
            << percentText(query.tolerancePercent) << '%';
    out << "\n\n" << modeColumns;
    for (const ModeResult& r : modes)
        writeModeLine(out, r);
    if (modes.empty())
        out << "  (nessun modo)\n";
    out << bestNote(modes);
}

void writeTable(std::ostream& out, Format format, const Query& query,
                std::span<const TableRow> rows) {
    if (format == Format::Json) {
        Json list = Json::array();
        for (const TableRow& row : rows) {
            Json modes = Json::array();
            for (const ModeResult& r : row.modes)
                modes.push_back(modeJson(r));
            list.push_back({{"rate", row.rate}, {"modes", modes}});
        }
        const Json doc = {{"crystal", query.crystal},
                          {"tolerance_percent", query.tolerancePercent},
                          {"rows", list}};
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        std::vector<Json> records;
        for (const TableRow& row : rows) {
            for (const ModeResult& r : row.modes)
                records.push_back(withFirst({{"rate", row.rate}}, modeJson(r)));
        }
        writeCsv(out, records, withFirst({{"rate", 0}}, modeShape()));
        return;
    }
    out << "Quarzo " << query.crystal << " Hz, tolleranza " << percentText(query.tolerancePercent)
        << "%\n";
    if (rows.empty())
        return;
    // One block per mode, as datasheets print them; "—" where the register cannot hold n.
    for (std::size_t m = 0; m < rows.front().modes.size(); ++m) {
        const ModeInfo& mode = *rows.front().modes[m].mode;
        out << fmt::format(FMT_COMPILE("\nModo {}: SYNC {}, BRG16 {}, BRGH {}, divisore {}\n"),
                           mode.key, mode.mode.sync, mode.mode.brg16, mode.mode.brgh, mode.divisor);
        out << "   baud rate    ottenuti  scost. %        n\n";
        for (const TableRow& row : rows) {
            const ModeResult& r = row.modes[m];
            out << fmt::format(FMT_COMPILE("{} {:>10}  {}  {}  {}\n"), r.best ? '*' : ' ', row.rate,
                               right(orDash(r.achieved), 10), right(orDash(r.deviationPercent), 8),
                               right(r.hasRate() ? std::to_string(r.registerValue) : dash, 7));
        }
    }
    out << "\n* modo migliore per quel baud rate\n";
}

void writeCrystals(std::ostream& out, Format format, std::span<const std::int32_t> rates,
                   double tolerancePercent, std::span<const CrystalFit> fits) {
    if (format == Format::Json) {
        Json list = Json::array();
        for (const CrystalFit& fit : fits) {
            Json perRate = Json::array();
            for (std::size_t i = 0; i < fit.rates.size(); ++i)
                perRate.push_back(withFirst({{"rate", rates[i]}}, modeJson(fit.rates[i])));
            list.push_back({{"crystal", fit.crystal},
                            {"worst_deviation_percent", fit.worstDeviationPercent},
                            {"rates", perRate}});
        }
        const Json doc = {
            {"rates", rates}, {"tolerance_percent", tolerancePercent}, {"crystals", list}};
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
                                            modeJson(fit.rates[i])));
            }
        }
        writeCsv(
            out, records,
            withFirst({{"crystal", 0}, {"worst_deviation_percent", 0}, {"rate", 0}}, modeShape()));
        return;
    }
    out << "Baud rate " << fmt::format(FMT_COMPILE("{}"), fmt::join(rates, ", ")) << ", tolleranza "
        << percentText(tolerancePercent) << "%\n";
    if (fits.empty()) {
        out << "\nNessun quarzo comune dà tutti i baud rate entro la tolleranza.\n";
        return;
    }
    out << "\n     quarzo  peggiore %   baud rate  modo        n  scost. %\n";
    for (const CrystalFit& fit : fits) {
        for (std::size_t i = 0; i < fit.rates.size(); ++i) {
            const ModeResult& r = fit.rates[i];
            out << (i == 0 ? fmt::format(FMT_COMPILE("{:>11}  {}"), fit.crystal,
                                         right(decimalText(fit.worstDeviationPercent, 2), 10))
                           : std::string(23, ' '))
                << fmt::format(FMT_COMPILE("  {:>10}  {}   {:>7}  {}\n"), rates[i], r.mode->key,
                               r.registerValue, right(orDash(r.deviationPercent), 8));
        }
    }
}

void writeHeader(std::ostream& out, const std::string& prefix, const Query& query,
                 const ModeResult& mode) {
    const GeneratorMode& m = mode.mode->mode;
    const std::string guard = prefix + "BAUD_H";
    out << fmt::format(
        FMT_COMPILE("/* velmiro-cli {}: quarzo {} Hz, {} baud, modo {}, scostamento {}% */\n"
                    "#ifndef {}\n#define {}\n\n"),
        VELMIRO_VERSION, query.crystal, *query.rate, mode.mode->key,
        decimalText(*mode.deviationPercent, 2), guard, guard);
    const auto define = [&](const char* name, const std::string& value) {
        out << "#define " << prefix << name << ' ' << value << '\n';
    };
    define("FOSC", fmt::format(FMT_COMPILE("{}UL"), query.crystal));
    define("BAUD", fmt::format(FMT_COMPILE("{}UL"), *query.rate));
    define("BAUD_REAL", fmt::format(FMT_COMPILE("{}UL"),
                                    static_cast<std::int64_t>(std::nearbyint(*mode.achieved))));
    define("SYNC", std::to_string(m.sync));
    define("BRG16", std::to_string(m.brg16));
    define("BRGH", std::to_string(m.brgh));
    define("SPBRG", hexByte(mode.registerValue & 0xFF));
    define("SPBRGH", hexByte(mode.registerValue >> 8));
    out << "\n#endif\n";
}

}  // namespace velmiro::cli
