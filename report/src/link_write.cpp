#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "clocks.h"
#include "link_columns.h"
#include "velmiro/link_report.h"

namespace velmiro::report {

namespace {

using namespace linkcolumns;

const char* const dash = "—";

// ---------------------------------------------------------------- JSON and CSV

Json samplingJson(const Sampling& s) {
    return {
        {"per_bit", s.perBit},        {"first_sample", s.first},
        {"middle_sample", s.middle},  {"samples", s.samples},
        {"documented", s.documented}, {"source", s.documented ? Json(s.source) : Json(nullptr)}};
}

Json endJson(const std::optional<LinkEnd>& end) {
    if (!end)
        return {{"achieved", nullptr}, {"deviation_percent", nullptr}};
    return {{"achieved", end->achieved},
            {"deviation_percent", end->deviationPercent},
            {"clock_error_percent", end->clockErrorPercent},
            {"sampling", samplingJson(end->sampling)}};
}

Json picJson(const LinkRow& row) {
    Json json{{"mode", row.picMode ? Json(row.picMode->mode->key) : Json(nullptr)},
              {"register", row.picMode ? Json(row.picMode->registerValue) : Json(nullptr)}};
    json.update(endJson(row.pic));
    return json;
}

Json peerJson(const LinkQuery& q, const LinkRow& row) {
    const Peer& p = q.peer;
    Json json{{"kind", p.adapter != nullptr ? "adapter"
                       : p.pic              ? "pic"
                                            : "exact"},
              {"name", p.name()}};
    if (p.adapter != nullptr) {
        json["source"] = p.adapter->source;
        json["divisor"] = row.adapterRate && row.adapterRate->divisor
                              ? Json(*row.adapterRate->divisor)
                              : Json(nullptr);
    } else if (p.pic) {
        json["family"] = p.pic->family().key;
        json["clock"] = p.clock;
        json["mode"] = row.peerMode ? Json(row.peerMode->mode->key) : Json(nullptr);
        json["register"] = row.peerMode ? Json(row.peerMode->registerValue) : Json(nullptr);
    }
    json.update(endJson(row.peer));
    return json;
}

Json directionsJson(const LinkQuery& q, const LinkRow& row) {
    Json list = Json::array();
    for (const DirectionCell& cell : cellsOf(q, row)) {
        Json direction;
        for (const Column& column : directionColumns())
            direction[std::string(column.key)] = column.json(cell);
        list.push_back(direction);
    }
    return list;
}

Json questionJson(const LinkQuery& q) {
    return {{"crystal", q.pic.crystal},
            {"frame", frameText(q.frame).data()},
            {"timed_bits", q.frame.timedBits()},
            {"margin_percent", q.marginPercent},
            {"clock_error_percent", q.pic.judgement.clockErrorPercent},
            {"peer_clock_error_percent", q.peer.clockErrorPercent},
            {"family", q.pic.port.family().key},
            {"device", q.pic.port.device.empty() ? Json(nullptr) : Json(q.pic.port.device)}};
}

Json rowJson(const LinkQuery& q, const LinkRow& row) {
    return {{"rate", row.rate},
            {"pic", picJson(row)},
            {"peer", peerJson(q, row)},
            {"directions", directionsJson(q, row)},
            {"usable", row.usable()}};
}

// A CSV field: numbers as JSON writes them, null as nothing. No text of
// these documents holds a comma or a quote.
std::string csvField(const Json& value) {
    if (value.is_null())
        return {};
    return value.is_string() ? value.get<std::string>() : value.dump();
}

void writeCsv(std::ostream& out, const LinkQuery& q, std::span<const LinkRow> rows) {
    const char* leading[] = {"family",
                             "device",
                             "crystal",
                             "peer",
                             "frame",
                             "rate",
                             "pic_mode",
                             "pic_rate",
                             "pic_deviation_percent",
                             "peer_rate",
                             "peer_deviation_percent"};
    std::string header;
    for (const char* key : leading)
        header.append(header.empty() ? "" : ",").append(key);
    for (const Column& column : directionColumns())
        header.append(",").append(column.key);
    out << header << "\r\n";
    for (const LinkRow& row : rows) {
        const Json first{q.pic.port.family().key,
                         q.pic.port.device,
                         q.pic.crystal,
                         q.peer.name(),
                         frameText(q.frame).data(),
                         row.rate,
                         row.picMode ? Json(row.picMode->mode->key) : Json(nullptr),
                         row.pic ? Json(row.pic->achieved) : Json(nullptr),
                         row.pic ? Json(row.pic->deviationPercent) : Json(nullptr),
                         row.peer ? Json(row.peer->achieved) : Json(nullptr),
                         row.peer ? Json(row.peer->deviationPercent) : Json(nullptr)};
        std::string start;
        for (const Json& value : first)
            start.append(start.empty() ? "" : ",").append(csvField(value));
        const std::vector<DirectionCell> cells = cellsOf(q, row);
        if (cells.empty())
            out << start << std::string(directionColumns().size(), ',') << "\r\n";
        for (const DirectionCell& cell : cells) {
            std::string line = start;
            for (const Column& column : directionColumns())
                line.append(",").append(csvField(column.json(cell)));
            out << line << "\r\n";
        }
    }
}

// ---------------------------------------------------------------- text

// Characters as a terminal counts them: "→" and "—" are one column each.
std::size_t columnsOf(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Lines of cells under a heading: the column `left` and the last one
// left-aligned, the numbers right-aligned. A line shorter than the heading
// ends with a sentence that does not widen its column.
void writeAligned(std::ostream& out, const std::vector<std::vector<std::string>>& lines,
                  std::size_t left) {
    std::vector<std::size_t> widths(lines.front().size());
    for (const auto& line : lines) {
        for (std::size_t i = 0; i < line.size() && line.size() == widths.size(); ++i)
            widths[i] = std::max(widths[i], columnsOf(line[i]));
    }
    for (const auto& line : lines) {
        std::string text = " ";
        for (std::size_t i = 0; i < line.size(); ++i) {
            const bool sentence = line.size() < widths.size() && i + 1 == line.size();
            const std::string pad(sentence ? 0 : widths[i] - columnsOf(line[i]), ' ');
            text += "  " + (i == left || i + 1 == line.size() ? line[i] + pad : pad + line[i]);
        }
        while (text.ends_with(' '))
            text.pop_back();
        out << text << '\n';
    }
}

std::vector<std::string> headings(const LinkQuery& q) {
    std::vector<std::string> line;
    for (const Column& column : directionColumns()) {
        if (!column.worstCase || withWorstCase(q))
            line.emplace_back(column.heading);
    }
    return line;
}

std::vector<std::string> cellsText(const LinkQuery& q, const DirectionCell& cell) {
    std::vector<std::string> line;
    for (const Column& column : directionColumns()) {
        if (!column.worstCase || withWorstCase(q))
            line.push_back(column.text(cell));
    }
    return line;
}

// "16 per bit, un campione a metà bit (non documentato: modello prudente)".
std::string samplingText(const Sampling& s) {
    std::string text = fmt::format("{} per bit, ", s.perBit);
    text += s.samples == 3 ? "maggioranza di tre campioni" : "un campione a metà bit";
    if (s.documented)
        return text + " (" + std::string(s.source) + ")";
    return text + " (non documentato: modello prudente)";
}

std::string errorText(double percent) {
    return percent > 0.0 ? fmt::format(", errore del clock {}%", percentText(percent)) : "";
}

// "PIC: quarzo 20000000 Hz, modo 001, n = 10: 113636,4 baud, scostamento -1,36%".
std::string picLine(const LinkQuery& q, const LinkRow& row) {
    std::string text = fmt::format("PIC: {} {} Hz", clocks::word(q.pic.port), q.pic.crystal);
    if (!row.pic)
        return text + ": nessun modo utilizzabile a questo baud rate";
    return text + fmt::format(", modo {}, n = {}, {} baud, scostamento {}%{}",
                              row.picMode->mode->key, registerText(*row.picMode),
                              decimalText(row.pic->achieved, 1),
                              decimalText(row.pic->deviationPercent, 2),
                              errorText(row.pic->clockErrorPercent));
}

std::string peerLine(const LinkQuery& q, const LinkRow& row) {
    const Peer& p = q.peer;
    std::string text = p.name();
    if (p.adapter != nullptr)
        text += fmt::format(" ({})", p.adapter->source);
    else if (p.pic)
        text += p.pic->device.empty() ? fmt::format(" ({} {} Hz)", clocks::word(*p.pic), p.clock)
                                      : fmt::format(" ({}, {} {} Hz)", p.pic->family().key,
                                                    clocks::word(*p.pic), p.clock);
    if (!row.peer)
        return text + ": non genera questo baud rate";
    std::string setting;
    if (row.adapterRate && row.adapterRate->divisor) {
        // In eighths, as the rule loads it: "26", "3,25 (3 + 2/8)".
        const double divisor = *row.adapterRate->divisor;
        const auto eighths = static_cast<long long>(std::llround(divisor * 8.0));
        setting = " divisore " + percentText(divisor);
        if (eighths % 8 != 0 && divisor > 1.0)
            setting += fmt::format(" ({} + {}/8)", eighths / 8, eighths % 8);
        setting += ',';
    }
    if (row.peerMode)
        setting =
            fmt::format(" modo {}, n = {},", row.peerMode->mode->key, registerText(*row.peerMode));
    return text + fmt::format(":{} {} baud, scostamento {}%{}", setting,
                              decimalText(row.peer->achieved, 1),
                              decimalText(row.peer->deviationPercent, 2),
                              errorText(row.peer->clockErrorPercent));
}

std::string titleOf(const LinkQuery& q) {
    return fmt::format("trama {} ({} bit tra start e stop), margine {}%", frameText(q.frame).data(),
                       q.frame.timedBits(), percentText(q.marginPercent));
}

}  // namespace

void writeLink(std::ostream& out, Format format, const LinkQuery& q, const LinkRow& row) {
    if (format == Format::Json) {
        Json doc = questionJson(q);
        doc.update(rowJson(q, row));
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        writeCsv(out, q, std::span(&row, 1));
        return;
    }
    out << "Collegamento a " << row.rate << " baud, " << titleOf(q) << '\n'
        << picLine(q, row) << '\n'
        << peerLine(q, row) << '\n';
    writePortNotes(out, q.pic.port, q.pic.crystal);
    const std::vector<DirectionCell> cells = cellsOf(q, row);
    if (cells.empty())
        return;
    std::vector<std::vector<std::string>> lines{headings(q)};
    for (const DirectionCell& cell : cells)
        lines.push_back(cellsText(q, cell));
    out << '\n';
    writeAligned(out, lines, 0);
    out << "\nCampionamento dei ricevitori:\n"
        << "  PIC, modo " << row.picMode->mode->key << ": " << samplingText(row.pic->sampling)
        << '\n'
        << "  " << q.peer.name() << ": " << samplingText(row.peer->sampling) << '\n';
}

void writeLinkTable(std::ostream& out, Format format, const LinkQuery& q,
                    std::span<const LinkRow> rows) {
    if (format == Format::Json) {
        Json list = Json::array();
        for (const LinkRow& row : rows)
            list.push_back(rowJson(q, row));
        Json doc = questionJson(q);
        doc["peer"] = q.peer.name();
        doc["rates"] = list;
        out << doc.dump(2) << '\n';
        return;
    }
    if (format == Format::Csv) {
        writeCsv(out, q, rows);
        return;
    }
    out << fmt::format("Collegamento PIC ({} {} Hz) con {}, {}\n", clocks::word(q.pic.port),
                       q.pic.crystal, q.peer.name(), titleOf(q));
    writePortNotes(out, q.pic.port, q.pic.crystal);
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> heading{"baud rate", "modo"};
    for (std::string& h : headings(q))
        heading.push_back(std::move(h));
    lines.push_back(heading);
    for (const LinkRow& row : rows) {
        const std::string mode = row.picMode ? std::string(row.picMode->mode->key) : dash;
        const std::vector<DirectionCell> cells = cellsOf(q, row);
        if (cells.empty()) {
            lines.push_back({std::to_string(row.rate), mode, missingText(q, row)});
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            std::vector<std::string> line{i == 0 ? std::to_string(row.rate) : "",
                                          i == 0 ? mode : ""};
            for (std::string& cell : cellsText(q, cells[i]))
                line.push_back(std::move(cell));
            lines.push_back(line);
        }
    }
    out << '\n';
    writeAligned(out, lines, 2);
    out << '\n' << usableRatesText(rows) << '\n';
}

std::string linkEndsText(const LinkQuery& q, const LinkRow& row) {
    return picLine(q, row) + '\n' + peerLine(q, row);
}

std::string usableRatesText(std::span<const LinkRow> rows) {
    std::vector<std::string> usable;
    for (const LinkRow& row : rows) {
        if (row.usable())
            usable.push_back(std::to_string(row.rate));
    }
    return "Baud rate utilizzabili: " +
           (usable.empty() ? std::string("nessuno") : fmt::format("{}", fmt::join(usable, ", ")));
}

}  // namespace velmiro::report