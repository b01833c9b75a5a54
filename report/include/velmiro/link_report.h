// The answer of velmiro-cli link: will this PIC talk to that other end, at
// one rate or at each of a list, in text, CSV and JSON. No Qt, no I/O but the
// given stream.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmiro/link.h"
#include "velmiro/report.h"

namespace velmiro::report {

// "ok", "al limite", "non comunica"; and "ok", "at_limit", "fails" for CSV and JSON.
[[nodiscard]] std::string_view linkVerdictText(LinkVerdict verdict);
[[nodiscard]] std::string_view linkVerdictKey(LinkVerdict verdict);

// The other end: an adapter, another PIC with its own clock, or (neither)
// an exact rate.
struct Peer {
    const Adapter* adapter = nullptr;
    std::optional<Port> pic;
    std::int32_t clock = 0;  // another PIC's
    double clockErrorPercent = 0.0;

    // "FT232R", "PIC16F877A", "uart16", "esatto".
    [[nodiscard]] std::string name() const;
};

struct LinkQuery {
    Query pic;  // the PIC: its crystal, its clock's error, its port
    ModeChoice choice;
    Peer peer;
    Frame frame;
    double marginPercent = 1.0;
};

// The link at one rate. An end that cannot run the rate has no LinkEnd, and
// then there are no directions.
struct LinkRow {
    std::int32_t rate = 0;
    std::optional<ModeResult> picMode;
    std::optional<LinkEnd> pic;
    std::optional<ModeResult> peerMode;  // another PIC's
    std::optional<AdapterRate> adapterRate;
    std::optional<LinkEnd> peer;
    std::optional<Direction> toPeer;    // PIC -> other end
    std::optional<Direction> fromPeer;  // other end -> PIC

    // Both directions "ok".
    [[nodiscard]] bool usable() const;
};

[[nodiscard]] LinkRow linkAt(const LinkQuery& query, std::int32_t rate);

// The two ends at one rate, a line each: "PIC: quarzo …, modo 001, …" and
// the other end's rate and deviation.
[[nodiscard]] std::string linkEndsText(const LinkQuery& query, const LinkRow& row);
// "Baud rate utilizzabili: 9600, 19200", or "nessuno".
[[nodiscard]] std::string usableRatesText(std::span<const LinkRow> rows);

// One rate in detail, or a list of rates as a table.
void writeLink(std::ostream& out, Format format, const LinkQuery& query, const LinkRow& row);
void writeLinkTable(std::ostream& out, Format format, const LinkQuery& query,
                    std::span<const LinkRow> rows);

}  // namespace velmiro::report
