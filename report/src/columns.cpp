#include "columns.h"

#include <algorithm>
#include <array>
#include <string_view>

// Each column names only the fields it has; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace velmiro::report::columns {

namespace {

const char* const dash = "—";

std::string orDash(const std::optional<double>& value) {
    return value ? decimalText(*value, 2) : dash;
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Tone toneOf(const ModeResult& r) {
    if (!r.verdict)
        return Tone::Plain;
    return *r.verdict == Verdict::Ok ? Tone::Within : Tone::Outside;
}

// The clock the generator counts, in Hz: whole, or with its half.
Json generatorClock(const Line& l) {
    const int divider = l.port->family().clockDivider;
    if (*l.clock % divider == 0)
        return *l.clock / divider;
    return static_cast<double>(*l.clock) / divider;
}

const ModeResult& mode(const Line& l) {
    return *l.mode;
}

// ---------------------------------------------------------------- the columns

const Column family{.key = "family",
                    .value = [](const Line& l) -> Json { return l.port->family().key; }};
const Column device{.key = "device", .value = [](const Line& l) {
                        return l.port->device.empty() ? Json(nullptr) : Json(l.port->device);
                    }};
const Column tolerance{.key = "tolerance_percent", .value = [](const Line& l) -> Json {
                           return l.judgement->tolerancePercent;
                       }};
const Column clockError{.key = "clock_error_percent", .value = [](const Line& l) -> Json {
                            return l.judgement->clockErrorPercent;
                        }};
const Column clock{
    .key = "crystal",
    .width = 11,
    .text = [](const Line& l) { return std::to_string(*l.clock); },
    .value = [](const Line& l) -> Json { return *l.clock; },
    .gridText = [](const Line& l) { return groupedText(*l.clock); },
    .headingOf = [](const Family& f) { return std::string(f.clockWord); },
    .unit = "Hz",
};
const Column generatorClockHz{.key = "generator_clock_hz", .value = generatorClock};
const Column rate{
    .key = "rate",
    .heading = "baud rate",
    .width = 10,
    .text = [](const Line& l) { return std::to_string(*l.rate); },
    .value = [](const Line& l) { return orNull(l.rate); },
};
// The rates a crystal must give, as the finder was asked.
const Column rates{.key = "rates", .value = [](const Line& l) -> Json {
                       return std::vector<std::int32_t>(l.rates.begin(), l.rates.end());
                   }};
const Column worstDeviation{
    .key = "worst_deviation_percent",
    .heading = "peggiore %",
    .width = 10,
    .text = [](const Line& l) { return decimalText(l.fit->worstDeviationPercent, 2); },
    .value = [](const Line& l) -> Json { return l.fit->worstDeviationPercent; },
    .tone = [](const Line&) { return Tone::Within; },
};

const Column modeKey{
    .key = "mode",
    .heading = "modo",
    .width = 4,
    .left = true,
    .text = [](const Line& l) { return std::string(mode(l).mode->key); },
    .value = [](const Line& l) -> Json { return mode(l).mode->key; },
};
const Column bits{.key = "bits", .drop = 2, .spread = Spread::Bits};
const Column divisor{
    .key = "divisor",
    .heading = "divisore",
    .width = 8,
    .drop = 1,
    .text = [](const Line& l) { return std::to_string(mode(l).mode->divisor); },
    .value = [](const Line& l) -> Json { return mode(l).mode->divisor; },
};
const Column registerValue{
    .key = "register",
    .heading = "n",
    .width = 11,
    .text = [](const Line& l) { return registerText(mode(l)); },
    .value = [](const Line& l) -> Json { return mode(l).registerValue; },
};
const Column neededRegister{.key = "needed_register",
                            .value = [](const Line& l) -> Json { return mode(l).neededRegister; }};
const Column limited{.key = "limited",
                     .value = [](const Line& l) -> Json { return mode(l).limited(); }};
const Column registerParts{.key = "register", .spread = Spread::Register};
const Column achieved{
    .key = "achieved",
    .heading = "ottenuti",
    .width = 10,
    .drop = 3,
    .text = [](const Line& l) { return orDash(mode(l).achieved); },
    .value = [](const Line& l) { return orNull(mode(l).achieved); },
};
const Column deviation{
    .key = "deviation_percent",
    .heading = "scost. %",
    .width = 8,
    .text = [](const Line& l) { return orDash(mode(l).deviationPercent); },
    .value = [](const Line& l) { return orNull(mode(l).deviationPercent); },
    .tone = [](const Line& l) { return toneOf(mode(l)); },
};
const Column worstCase{
    .key = "worst_case_percent",
    .heading = "peggiore %",
    .width = 10,
    .text = [](const Line& l) { return orDash(mode(l).worstCasePercent); },
    .value = [](const Line& l) { return orNull(mode(l).worstCasePercent); },
    .tone = [](const Line& l) { return toneOf(mode(l)); },
    .widened = true,
};
const Column verdict{
    .key = "verdict",
    .heading = "esito",
    .left = true,
    .text = [](const Line& l) -> std::string {
        return mode(l).verdict ? std::string(verdictText(*mode(l).verdict)) : dash;
    },
    .value =
        [](const Line& l) {
            return mode(l).verdict ? Json(verdictKey(*mode(l).verdict)) : Json(nullptr);
        },
    .tone = [](const Line& l) { return toneOf(mode(l)); },
};
const Column best{.key = "best", .value = [](const Line& l) -> Json { return l.best; }};

template <std::size_t N>
using Of = std::array<const Column*, N>;

const Of<12> modeOrder{&modeKey,        &bits,      &divisor,       &registerValue,
                       &neededRegister, &limited,   &registerParts, &achieved,
                       &deviation,      &worstCase, &verdict,       &best};
const Of<7> questionOrder{&clock,  &rate,   &tolerance,       &clockError,
                          &family, &device, &generatorClockHz};
const Of<5> questionLead{&family, &device, &clock, &generatorClockHz, &rate};
const Of<6> tableOrder{&clock, &tolerance, &clockError, &family, &device, &generatorClockHz};
const Of<6> tableBlock{&rate, &achieved, &deviation, &worstCase, &registerValue, &verdict};
const Of<5> crystalsOrder{&rates, &tolerance, &clockError, &family, &device};
const Of<3> crystalOrder{&clock, &generatorClockHz, &worstDeviation};
const Of<6> crystalsLead{&family, &device, &clock, &generatorClockHz, &worstDeviation, &rate};
const Of<6> crystalsColumns{&clock, &worstDeviation, &rate, &modeKey, &registerValue, &deviation};
const Of<2> crystalsGridLead{&clock, &worstDeviation};
const Of<1> rowOrder{&rate};

// ---------------------------------------------------------------- spreading

// Every family's bits fit these CSV slots, so the header is one for all.
std::size_t bitSlots() {
    std::size_t slots = 0;
    for (const Family& f : families())
        slots = std::max(slots, f.bits.size());
    return slots;
}

// Characters as a terminal counts them: "—" and "à" are one column each.
std::size_t columnsOf(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, std::size_t width, bool left) {
    const std::size_t columns = columnsOf(text);
    const std::string pad(width > columns ? width - columns : 0, ' ');
    return left ? text + pad : pad + text;
}

// "SPBRGH:SPBRG": the register as the family names its parts.
std::string registerName(const Family& f) {
    std::string name;
    for (const RegisterName& part : f.columns)
        name += (name.empty() ? "" : ":") + std::string(part.name);
    return name;
}

// The register's high and low part: the family's first and last named parts,
// or the bytes of a register it names whole.
std::int64_t registerHalf(const Family& f, std::int64_t n, bool high) {
    if (f.columns.size() < 2)
        return high ? highByte(n) : lowByte(n);
    return registerPart(n, (high ? f.columns.front() : f.columns.back()).part);
}

// A CSV or JSON key and its value, for every family alike.
struct Keyed {
    std::string key;
    std::function<Json(const Line&)> value;
};

void keyed(const Column& c, std::vector<Keyed>& out) {
    switch (c.spread) {
        case Spread::One:
            out.push_back({std::string(c.key), c.value});
            return;
        case Spread::Bits:
            for (std::size_t i = 0; i < bitSlots(); ++i) {
                const auto bit = [i](const Line& l) -> const BitColumn* {
                    const auto& all = l.port->family().bits;
                    return i < all.size() ? &all[i] : nullptr;
                };
                const std::string slot = "bit" + std::to_string(i + 1);
                out.push_back({slot + "_name", [bit](const Line& l) {
                                   const BitColumn* b = bit(l);
                                   return b ? Json(b->name) : Json(nullptr);
                               }});
                out.push_back({slot + "_value", [bit](const Line& l) {
                                   const BitColumn* b = bit(l);
                                   return b ? Json(mode(l).mode->mode.*b->value) : Json(nullptr);
                               }});
            }
            return;
        case Spread::Register:
            out.push_back({"register_name",
                           [](const Line& l) -> Json { return registerName(l.port->family()); }});
            for (const bool high : {true, false}) {
                out.push_back(
                    {high ? "register_high" : "register_low", [high](const Line& l) {
                         const ModeResult& r = mode(l);
                         return r.registerHolds()
                                    ? Json(registerHalf(l.port->family(), r.registerValue, high))
                                    : Json(nullptr);
                     }});
            }
            return;
    }
}

std::vector<Keyed> keyedAll(List lead) {
    std::vector<Keyed> out;
    for (const Column* c : lead)
        keyed(*c, out);
    for (const Column* c : modeList)
        keyed(*c, out);
    return out;
}

// A field as RFC 4180 writes it: quoted only when it holds a comma, quote or
// line break.
std::string csvField(const Json& value) {
    if (value.is_null())
        return {};
    if (!value.is_string())
        return value.dump();
    const auto& text = value.get_ref<const std::string&>();
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

}  // namespace

const List modeList = modeOrder;
const List questionKeys = questionOrder;
const List questionCsv = questionLead;
const List tableKeys = tableOrder;
const List tableCsv = questionLead;
const List tableText = tableBlock;
const List crystalsKeys = crystalsOrder;
const List crystalKeys = crystalOrder;
const List crystalsCsv = crystalsLead;
const List crystalsText = crystalsColumns;
const List crystalsGrid = crystalsGridLead;
const List rowKeys = rowOrder;

std::vector<Shown> shown(List list, const Family& f, bool widened) {
    std::vector<Shown> out;
    for (const Column* c : list) {
        if (c->widened && !widened)
            continue;
        if (c->spread == Spread::Bits) {
            for (const BitColumn& bit : f.bits) {
                const auto value = bit.value;
                out.push_back(
                    {c->key, std::string(bit.name), bit.name.size(), false, c->drop,
                     [value](const Line& l) { return std::to_string(mode(l).mode->mode.*value); }});
            }
        } else if (c->spread == Spread::Register) {
            for (const RegisterName& part : f.columns) {
                const RegisterPart which = part.part;
                const std::size_t width = std::max(part.name.size(), registerHex(0, which).size());
                out.push_back({c->key, std::string(part.name), width, false, c->drop,
                               [which](const Line& l) -> std::string {
                                   const ModeResult& r = mode(l);
                                   return r.registerHolds() ? registerHex(r.registerValue, which)
                                                            : dash;
                               }});
            }
        } else if (!c->heading.empty() || c->headingOf != nullptr) {
            out.push_back({c->key, c->headingOf ? c->headingOf(f) : std::string(c->heading),
                           c->width, c->left, c->drop, c->text, c->tone, c->gridText, c->unit});
        }
    }
    return out;
}

void writeTextHeading(std::ostream& out, const std::vector<Shown>& columns, std::size_t marker) {
    out << std::string(marker, ' ');
    for (std::size_t i = 0; i < columns.size(); ++i)
        out << (i == 0 ? "" : "  ")
            << padded(columns[i].heading, columns[i].width, columns[i].left);
    out << '\n';
}

void writeTextLine(std::ostream& out, const std::vector<Shown>& columns, const Line& line,
                   std::size_t marker, std::size_t blank) {
    if (marker > 0)
        out << padded(line.best ? "*" : "", marker, true);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Shown& c = columns[i];
        out << (i == 0 ? "" : "  ") << padded(i < blank ? "" : c.text(line), c.width, c.left);
    }
    out << '\n';
}

std::vector<Shown> fitted(std::vector<Shown> columns, std::size_t marker,
                          std::span<const Line> lines, std::size_t width) {
    if (width == 0)
        return columns;
    std::size_t total = marker;
    int ranks = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::size_t extent = columns[i].width;
        if (extent == 0) {
            extent = columnsOf(columns[i].heading);
            for (const Line& l : lines)
                extent = std::max(extent, columnsOf(columns[i].text(l)));
        }
        total += (i == 0 ? 0 : 2) + extent;
        ranks = std::max(ranks, columns[i].drop);
    }
    for (int rank = 1; rank <= ranks && total > width; ++rank) {
        std::erase_if(columns, [&](const Shown& c) {
            if (c.drop != rank)
                return false;
            total -= 2 + c.width;
            return true;
        });
    }
    return columns;
}

void writeCsvHeading(std::ostream& out, List lead) {
    std::string line;
    for (const Keyed& k : keyedAll(lead))
        line += (line.empty() ? "" : ",") + k.key;
    out << line << "\r\n";
}

void writeCsvLine(std::ostream& out, List lead, const Line& line) {
    std::string text;
    bool first = true;
    for (const Keyed& k : keyedAll(lead)) {
        text += (first ? "" : ",") + csvField(k.value(line));
        first = false;
    }
    out << text << "\r\n";
}

Json jsonOf(List list, const Line& line) {
    Json json = Json::object();
    for (const Column* c : list) {
        if (c->spread == Spread::Bits) {
            Json named = Json::object();
            for (const BitColumn& bit : line.port->family().bits)
                named[std::string(bit.name)] = mode(line).mode->mode.*bit.value;
            json[std::string(c->key)] = named;
            continue;
        }
        std::vector<Keyed> fields;
        keyed(*c, fields);
        for (const Keyed& k : fields)
            json[k.key] = k.value(line);
    }
    return json;
}

Cell cellOf(const Shown& column, const Line& line) {
    return {column.gridText ? column.gridText(line) : column.text(line),
            column.tone ? column.tone(line) : Tone::Plain, line.best, !column.left};
}

}  // namespace velmiro::report::columns
