#include <algorithm>
#include <string_view>

#include "columns.h"

// How the columns become text, CSV, JSON and grid cells. Nothing here names a
// column: a column or a family added to columns.cpp or calc needs no change.

namespace velmiro::report::columns {

namespace {

const char* const dash = "—";

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
        name.append(name.empty() ? "" : ":").append(part.name);
    return name;
}

// The register's high and low part: the family's first and last named parts,
// or, of a register it names whole, the bytes, or bits 19:16 and 15:0 where it
// holds 20 bits, as the family that names the same register in two parts.
std::int64_t registerHalf(const Family& f, std::int64_t n, bool high) {
    if (f.columns.size() < 2) {
        const bool wide = std::any_of(f.modes.begin(), f.modes.end(), [](const ModeInfo& m) {
            return registerMaximum(m) > 0xFFFF;
        });
        if (wide)
            return registerPart(n, high ? RegisterPart::Upper : RegisterPart::Word);
        return high ? highByte(n) : lowByte(n);
    }
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
                                   return b ? Json((*l.mode).mode->mode.*b->value) : Json(nullptr);
                               }});
            }
            return;
        case Spread::Register:
            out.push_back({"register_name",
                           [](const Line& l) -> Json { return registerName(l.port->family()); }});
            for (const bool high : {true, false}) {
                out.push_back(
                    {high ? "register_high" : "register_low", [high](const Line& l) {
                         const ModeResult& r = (*l.mode);
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

// A field of a CSV line: keys, names and verdicts hold no comma or quote.
std::string csvField(const Json& value) {
    if (value.is_null())
        return {};
    return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

std::vector<Shown> shown(List list, const Port& port, bool widened) {
    const Family& f = port.family();
    std::vector<Shown> out;
    for (const Column* c : list) {
        if (c->widened && !widened)
            continue;
        if (c->spread == Spread::Bits) {
            for (const BitColumn& bit : f.bits) {
                const auto value = bit.value;
                out.push_back({c->key, std::string(bit.name), bit.name.size(), false, c->drop,
                               [value](const Line& l) {
                                   return std::to_string((*l.mode).mode->mode.*value);
                               }});
            }
        } else if (c->spread == Spread::Register) {
            for (const RegisterName& part : f.columns) {
                const RegisterPart which = part.part;
                const std::size_t width = std::max(part.name.size(), registerHex(0, which).size());
                out.push_back({c->key, std::string(part.name), width, false, c->drop,
                               [which](const Line& l) -> std::string {
                                   const ModeResult& r = (*l.mode);
                                   return r.registerHolds() ? registerHex(r.registerValue, which)
                                                            : dash;
                               }});
            }
        } else if (!c->heading.empty() || c->headingOf != nullptr) {
            out.push_back({c->key, c->headingOf ? c->headingOf(port) : std::string(c->heading),
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
    // Each column is as wide as its widest cell, so that the largest values
    // the law gives stay aligned; a left-aligned last one is never padded.
    std::size_t total = marker;
    int ranks = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Shown& c = columns[i];
        std::size_t widest = columnsOf(c.heading);
        for (const Line& l : lines)
            widest = std::max(widest, columnsOf(c.text(l)));
        const bool unpadded = c.left && i + 1 == columns.size();
        if (!unpadded)
            c.width = std::max(c.width, widest);
        total += (i == 0 ? 0 : 2) + (unpadded ? widest : c.width);
        ranks = std::max(ranks, c.drop);
    }
    // In a terminal narrower than the line, the columns with a drop rank go,
    // in its order, while the line is too wide.
    for (int rank = 1; width > 0 && rank <= ranks && total > width; ++rank) {
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
        text.append(first ? "" : ",").append(csvField(k.value(line)));
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
                named[std::string(bit.name)] = (*line.mode).mode->mode.*bit.value;
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
