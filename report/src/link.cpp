#include <algorithm>

#include "link_columns.h"
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

bool withWorstCase(const LinkQuery& q) {
    return q.pic.judgement.clockErrorPercent > 0.0 || q.peer.clockErrorPercent > 0.0;
}

}  // namespace linkcolumns

}  // namespace velmiro::report
