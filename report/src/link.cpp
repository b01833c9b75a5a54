#include <algorithm>

#include "link_columns.h"
#include "velmiro/grid.h"
#include "velmiro/link_report.h"

namespace velmiro::report {

namespace {

struct VerdictNames {
    std::string_view text;
    std::string_view key;
};
constexpr VerdictNames linkVerdictNames[] = {
    {"ok", "ok"},
    {"al limite", "at_limit"},
    {"non comunica", "fails"},
};

}  // namespace

std::string_view linkVerdictText(LinkVerdict verdict) {
    return linkVerdictNames[static_cast<std::size_t>(verdict)].text;
}

std::string_view linkVerdictKey(LinkVerdict verdict) {
    return linkVerdictNames[static_cast<std::size_t>(verdict)].key;
}

std::string Peer::name() const {
    if (adapter != nullptr)
        return std::string(adapter->name);
    if (pic)
        return pic->device.empty() ? std::string(pic->family().key) : pic->device;
    return "esatto";
}

bool LinkRow::usable() const {
    return toPeer && fromPeer && toPeer->verdict == LinkVerdict::Ok &&
           fromPeer->verdict == LinkVerdict::Ok;
}

LinkRow linkAt(const LinkQuery& q, std::int32_t rate) {
    LinkRow row;
    row.rate = rate;
    const Comparison modes =
        compareModes(q.pic.port.peripheral, q.pic.crystal, rate, q.pic.judgement, q.choice);
    if (const ModeResult* best = modes.bestMode()) {
        row.picMode = *best;
        row.pic = picEnd(q.pic.port.family(), *best, q.pic.judgement.clockErrorPercent);
    }
    const Peer& p = q.peer;
    if (p.adapter != nullptr) {
        row.adapterRate = p.adapter->rateFor(rate);
        if (row.adapterRate) {
            const double achieved = row.adapterRate->achieved;
            row.peer = LinkEnd{achieved, (achieved - rate) / rate * 100.0, p.clockErrorPercent,
                               p.adapter->sampling};
        }
    } else if (p.pic) {
        const Comparison peer = compareModes(p.pic->peripheral, p.clock, rate,
                                             {1.0, p.clockErrorPercent}, ModeChoice{});
        if (const ModeResult* best = peer.bestMode()) {
            row.peerMode = *best;
            row.peer = picEnd(p.pic->family(), *best, p.clockErrorPercent);
        }
    } else {
        // A device known to be exact, whose sampling nobody has told us.
        row.peer =
            LinkEnd{static_cast<double>(rate), 0.0, p.clockErrorPercent, conservativeSampling(16)};
    }
    if (row.pic && row.peer) {
        row.toPeer = directionOf(*row.pic, *row.peer, q.frame, q.marginPercent);
        row.fromPeer = directionOf(*row.peer, *row.pic, q.frame, q.marginPercent);
    }
    return row;
}

namespace linkcolumns {

namespace {

std::string percent(double ratio) {
    return decimalText(ratio * 100.0, 2);
}

const Column columns[] = {
    {"direzione", "direction", false, [](const DirectionCell& c) { return c.from + " → " + c.to; },
     [](const DirectionCell& c) { return Json(c.from + " -> " + c.to); }},
    {"trasmette", "transmitter_rate", false,
     [](const DirectionCell& c) { return decimalText(c.transmitter->achieved, 1); },
     [](const DirectionCell& c) { return Json(c.transmitter->achieved); }},
    {"riceve", "receiver_rate", false,
     [](const DirectionCell& c) { return decimalText(c.receiver->achieved, 1); },
     [](const DirectionCell& c) { return Json(c.receiver->achieved); }},
    {"rapporto %", "ratio_percent", false,
     [](const DirectionCell& c) { return percent(c.direction->ratio); },
     [](const DirectionCell& c) { return Json(c.direction->ratio * 100.0); }},
    {"scost. %", "mismatch_percent", false,
     [](const DirectionCell& c) { return percent(c.direction->ratio - 1.0); },
     [](const DirectionCell& c) { return Json((c.direction->ratio - 1.0) * 100.0); }},
    {"peggiore da %", "worst_low_percent", true,
     [](const DirectionCell& c) { return percent(c.direction->lowest); },
     [](const DirectionCell& c) { return Json(c.direction->lowest * 100.0); }},
    {"a %", "worst_high_percent", true,
     [](const DirectionCell& c) { return percent(c.direction->highest); },
     [](const DirectionCell& c) { return Json(c.direction->highest * 100.0); }},
    {"finestra da %", "window_low_percent", false,
     [](const DirectionCell& c) { return percent(c.direction->window.slow); },
     [](const DirectionCell& c) { return Json(c.direction->window.slow * 100.0); }},
    {"a %", "window_high_percent", false,
     [](const DirectionCell& c) { return percent(c.direction->window.fast); },
     [](const DirectionCell& c) { return Json(c.direction->window.fast * 100.0); }},
    {"margine %", "margin_percent", false,
     [](const DirectionCell& c) { return decimalText(c.direction->marginPercent, 2); },
     [](const DirectionCell& c) { return Json(c.direction->marginPercent); }},
    {"esito", "verdict", false,
     [](const DirectionCell& c) { return std::string(linkVerdictText(c.direction->verdict)); },
     [](const DirectionCell& c) { return Json(linkVerdictKey(c.direction->verdict)); }},
};

}  // namespace

std::span<const Column> directionColumns() {
    return columns;
}

std::vector<DirectionCell> cellsOf(const LinkQuery& q, const LinkRow& row) {
    if (!row.toPeer || !row.fromPeer)
        return {};
    const std::string peer = q.peer.name();
    return {{"PIC", peer, &*row.pic, &*row.peer, &*row.toPeer},
            {peer, "PIC", &*row.peer, &*row.pic, &*row.fromPeer}};
}

std::string missingText(const LinkQuery& q, const LinkRow& row) {
    return row.pic ? q.peer.name() + " non genera questo baud rate"
                   : "il PIC non ha un modo utilizzabile";
}

bool withWorstCase(const LinkQuery& q) {
    return q.pic.judgement.clockErrorPercent > 0.0 || q.peer.clockErrorPercent > 0.0;
}

}  // namespace linkcolumns

namespace {

// A heading "a %" goes on from the one before it ("finestra da %"): a grid
// shows each heading alone, so it says whose it is, "finestra a %".
std::string gridHeading(std::span<const linkcolumns::Column> shown, std::size_t i) {
    const std::string_view heading = shown[i].heading;
    if (i == 0 || !heading.starts_with("a "))
        return std::string(heading);
    const std::string_view before = shown[i - 1].heading;
    const std::size_t from = before.find(" da ");
    if (from == std::string_view::npos)
        return std::string(heading);
    return std::string(before.substr(0, from)) + ' ' + std::string(heading);
}

Tone toneOf(LinkVerdict verdict) {
    // "al limite" works: neither colour, its words say it.
    if (verdict == LinkVerdict::Ok)
        return Tone::Within;
    return verdict == LinkVerdict::Fails ? Tone::Outside : Tone::Plain;
}

}  // namespace

Grid linkGrid(const LinkQuery& q, std::span<const LinkRow> rows, bool perRate) {
    using linkcolumns::Column;
    std::vector<Column> shown;
    for (const Column& column : linkcolumns::directionColumns()) {
        if (!column.worstCase || linkcolumns::withWorstCase(q))
            shown.push_back(column);
    }
    Grid grid;
    if (perRate)
        grid.headers = {"baud rate", "modo"};
    for (std::size_t i = 0; i < shown.size(); ++i)
        grid.headers.push_back(gridHeading(shown, i));
    for (const LinkRow& row : rows) {
        Row lead;
        if (perRate) {
            lead.push_back({std::to_string(row.rate), Tone::Plain, false, true});
            lead.push_back({row.picMode ? std::string(row.picMode->mode->key) : "—"});
        }
        const std::vector<linkcolumns::DirectionCell> cells = linkcolumns::cellsOf(q, row);
        if (cells.empty() && perRate) {
            Row missing = lead;
            missing.push_back({linkcolumns::missingText(q, row), Tone::Outside});
            missing.resize(grid.headers.size());
            grid.rows.push_back(std::move(missing));
        }
        for (const linkcolumns::DirectionCell& cell : cells) {
            Row line = lead;
            for (const Column& column : shown) {
                const bool judged = column.key == "verdict" || column.key == "margin_percent";
                line.push_back({column.text(cell),
                                judged ? toneOf(cell.direction->verdict) : Tone::Plain, false,
                                column.key != "direction" && column.key != "verdict"});
            }
            grid.rows.push_back(std::move(line));
        }
    }
    return grid;
}

}  // namespace velmiro::report
