#include "commands.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <tuple>

namespace velmiro::cli {

namespace {

ModeChoice choiceOf(const Judging& j) {
    return {j.sync, j.mode};
}

const Peripheral& peripheralOf(const Judging& j) {
    return j.port.peripheral;
}

Judgement judgementOf(const Judging& j) {
    return {j.tolerance, j.clockError};
}

void hint(std::ostream& err, const std::string& advice) {
    if (!advice.empty())
        err << "velmiro-cli: " << advice << '\n';
}

// CLOCK, with advice when it is implausibly low; the advice, if any, in `said`.
std::int32_t crystalOf(const Quantity& crystal, const report::Port& port, std::ostream& err,
                       bool* said = nullptr) {
    const std::string advice = report::frequencyHint("CLOCK", crystal.typed, crystal.value);
    hint(err, advice);
    hint(err, report::clockLimitHint(port, crystal.value));
    if (said != nullptr)
        *said = !advice.empty();
    return crystal.value;
}

// CLOCK and BAUD of a command that judges one rate, with advice on either.
report::Query rateQuery(const Quantity& crystal, const Quantity& rate, const Judging& j,
                        std::ostream& err) {
    const report::Query q{crystal.value, rate.value, {}, judgementOf(j), j.port};
    // A rate that would make a plausible clock, above a clock that is not one.
    const bool low = crystal.value < report::lowestClock;
    if (low && rate.value >= report::lowestClock) {
        hint(err, fmt::format("CLOCK e BAUD sembrano scambiati: un clock da {} Hz per {} "
                              "baud; forse «{} {}»?",
                              crystal.value, rate.value, rate.typed, crystal.typed));
        return q;
    }
    crystalOf(crystal, j.port, err);
    // A rate out of reach of a crystal already said to be too low adds nothing.
    if (!low)
        hint(err, report::rateHint(peripheralOf(j), q.crystal, *q.rate));
    return q;
}

std::vector<std::int32_t> valuesOf(const std::vector<Quantity>& quantities) {
    std::vector<std::int32_t> values;
    for (const Quantity& q : quantities)
        values.push_back(q.value);
    return values;
}

// The deviation that was judged: the worst case when the clock has an error.
std::string judgedText(const ModeResult& r, const Judgement& j) {
    std::string text = report::decimalText(*r.deviationPercent, 2) + '%';
    if (j.clockErrorPercent > 0.0)
        text += " (nel caso peggiore " + report::decimalText(*r.worstCasePercent, 2) + "%)";
    return text;
}

// The status of one answer, with the reason on stderr when it is 1.
int statusOf(const Comparison& modes, const Judging& j, std::ostream& err) {
    const ModeResult* chosen = modes.bestMode();
    if (chosen == nullptr) {
        // Either the register holds N in no mode, or the one mode listed is avoided.
        const auto avoided =
            std::find_if(modes.modes.begin(), modes.modes.end(),
                         [](const ModeResult& r) { return r.verdict == Verdict::Avoided; });
        if (avoided != modes.modes.end())
            err << "velmiro-cli: il modo scelto " << avoided->mode->key
                << " è sconsigliato dall'errata del dispositivo\n";
        else
            err << "velmiro-cli: nessun modo contiene questo valore del registro\n";
        return 1;
    }
    if (chosen->verdict == Verdict::Ok)
        return 0;
    err << fmt::format("velmiro-cli: {}, {}, è fuori tolleranza ({}%)\n",
                       j.mode.empty()
                           ? "lo scostamento migliore, nel modo " + std::string(chosen->mode->key)
                           : "lo scostamento nel modo scelto " + std::string(chosen->mode->key),
                       judgedText(*chosen, judgementOf(j)), report::percentText(j.tolerance));
    return 1;
}

// A highest crystal whose generator cannot reach the fastest rate asked for:
// the clock the generator counts from it, over the smallest divisor of a mode.
std::string unreachable(const Peripheral& peripheral, std::int32_t maximum, std::int32_t fastest) {
    const Fastest top = fastestRate(peripheral, maximum);
    if (fastest <= top.rate)
        return {};
    const std::string_view counted = peripheral.source().generator;
    return fmt::format(
        "--max-frequency: fino a {} Hz nessun quarzo arriva a {} baud, al massimo "
        "{} ({} / {}, n = {})",
        maximum, fastest, report::percentText(top.rate), counted.empty() ? "F" : counted,
        top.divisor, top.registerValue);
}

}  // namespace

int compare(const CompareOptions& o, Streams streams) {
    const report::Query q = rateQuery(o.crystal, o.rate, o.judging, streams.err);
    const Comparison modes =
        compareModes(peripheralOf(o.judging), q.crystal, *q.rate, q.judgement, choiceOf(o.judging));
    report::writeModes(streams.out, o.judging.format, q, modes, streams.width);
    return statusOf(modes, o.judging, streams.err);
}

int registerCommand(const RegisterOptions& o, Streams streams) {
    report::Query q{crystalOf(o.crystal, o.judging.port, streams.err),
                    {},
                    o.n,
                    judgementOf(o.judging),
                    o.judging.port};
    if (o.rate)
        q.rate = o.rate->value;
    const Comparison modes = compareRegister(peripheralOf(o.judging), q.crystal, o.n, q.rate,
                                             q.judgement, choiceOf(o.judging));
    report::writeModes(streams.out, o.judging.format, q, modes, streams.width);
    // An N no listed register holds (above 16 bits on a 16-bit port) is no answer.
    if (!q.rate && std::none_of(modes.modes.begin(), modes.modes.end(),
                                [](const ModeResult& r) { return r.registerHolds(); })) {
        streams.err << "velmiro-cli: nessun modo contiene questo valore del registro\n";
        return 1;
    }
    // Without a rate nothing is judged.
    return q.rate ? statusOf(modes, o.judging, streams.err) : 0;
}

int header(const HeaderOptions& o, Streams streams) {
    const report::Query q = rateQuery(o.crystal, o.rate, o.judging, streams.err);
    const Comparison modes =
        compareModes(peripheralOf(o.judging), q.crystal, *q.rate, q.judgement, choiceOf(o.judging));
    // No best mode only when the one chosen is one the part's errata advise
    // against: a header for it would put that advice into firmware silently.
    if (const ModeResult* best = modes.bestMode())
        report::writeHeader(streams.out, o.prefix, q, *best);
    return statusOf(modes, o.judging, streams.err);
}

int table(const TableOptions& o, Streams streams) {
    bool low = false;
    const report::Query q{crystalOf(o.crystal, o.judging.port, streams.err, &low),
                          {},
                          {},
                          judgementOf(o.judging),
                          o.judging.port};
    const std::vector<std::int32_t> chosen =
        o.rates.empty() ? std::vector<std::int32_t>(report::defaultTableRates().begin(),
                                                    report::defaultTableRates().end())
                        : valuesOf(o.rates);
    const std::vector<report::TableRow> rows = report::tableOf(
        peripheralOf(o.judging), q.crystal, chosen, q.judgement, choiceOf(o.judging));
    report::writeTable(streams.out, o.judging.format, q, rows);
    std::vector<std::int32_t> missed;
    for (const report::TableRow& row : rows) {
        if (!low)
            hint(streams.err, report::rateHint(peripheralOf(o.judging), q.crystal, row.rate));
        const ModeResult* best = row.modes.bestMode();
        if (best == nullptr || best->verdict != Verdict::Ok)
            missed.push_back(row.rate);
    }
    if (missed.empty())
        return 0;
    streams.err << fmt::format("velmiro-cli: nessun modo entro la tolleranza ({}%) per {} baud\n",
                               report::percentText(o.judging.tolerance), fmt::join(missed, ", "));
    return 1;
}

int crystals(const CrystalsOptions& o, Streams streams) {
    const std::vector<std::int32_t> wanted = valuesOf(o.rates);
    const std::int32_t low = o.minimum ? o.minimum->value : 1;
    const std::int32_t high =
        o.maximum ? o.maximum->value : std::numeric_limits<std::int32_t>::max();
    if (o.minimum)
        hint(streams.err, report::frequencyHint("--min-frequency", o.minimum->typed, low));
    if (o.maximum) {
        const std::string slow = report::frequencyHint("--max-frequency", o.maximum->typed, high);
        hint(streams.err, slow);
        const std::int32_t fastest = *std::max_element(wanted.begin(), wanted.end());
        if (slow.empty())
            hint(streams.err, unreachable(peripheralOf(o.judging), high, fastest));
    }
    const Judgement judgement = judgementOf(o.judging);
    const std::vector<CrystalFit> fits =
        crystalsFor(peripheralOf(o.judging), wanted, judgement, choiceOf(o.judging), low, high);
    report::writeCrystals(streams.out, o.judging.format, o.judging.port, wanted, judgement, fits);
    if (!fits.empty())
        return 0;
    streams.err << "velmiro-cli: nessun quarzo comune dà tutti i baud rate entro la tolleranza\n";
    return 1;
}

namespace {

// Why a rate of a link is not usable, one line for each direction that is not "ok".
void linkReasons(const report::LinkQuery& q, const report::LinkRow& row, std::ostream& err) {
    if (!row.pic) {
        err << fmt::format("velmiro-cli: a {} baud il PIC non ha un modo utilizzabile\n", row.rate);
        return;
    }
    if (!row.peer) {
        err << fmt::format("velmiro-cli: {} non genera {} baud\n", q.peer.name(), row.rate);
        return;
    }
    const std::string peer = q.peer.name();
    for (const auto& [from, to, d] : {std::tuple{std::string("PIC"), peer, *row.toPeer},
                                      std::tuple{peer, std::string("PIC"), *row.fromPeer}}) {
        if (d.verdict != LinkVerdict::Ok)
            err << fmt::format("velmiro-cli: a {} baud {} → {}: {} (margine {}%)\n", row.rate, from,
                               to, report::linkVerdictText(d.verdict),
                               report::decimalText(d.marginPercent, 2));
    }
}

}  // namespace

int link(const LinkOptions& o, Streams streams) {
    // Member by member: mingw's GCC 12 at -O3 takes a braced temporary Port
    // for one used uninitialized.
    report::LinkQuery q;
    q.pic.crystal = o.crystal.value;
    q.pic.judgement = judgementOf(o.judging);
    q.pic.port = o.judging.port;
    q.choice = choiceOf(o.judging);
    q.peer = o.peer;
    q.frame = *frameFromText(o.frame);
    q.marginPercent = o.margin;
    if (o.rates.size() == 1) {
        q.pic = rateQuery(o.crystal, o.rates.front(), o.judging, streams.err);
        const report::LinkRow row = report::linkAt(q, o.rates.front().value);
        report::writeLink(streams.out, o.judging.format, q, row);
        if (row.usable())
            return 0;
        linkReasons(q, row, streams.err);
        return 1;
    }
    crystalOf(o.crystal, o.judging.port, streams.err);
    const std::vector<std::int32_t> rates =
        o.rates.empty()
            ? std::vector<std::int32_t>(standardLinkRates().begin(), standardLinkRates().end())
            : valuesOf(o.rates);
    std::vector<report::LinkRow> rows;
    std::vector<std::int32_t> missed;
    for (const std::int32_t rate : rates) {
        rows.push_back(report::linkAt(q, rate));
        if (!rows.back().usable())
            missed.push_back(rate);
    }
    report::writeLinkTable(streams.out, o.judging.format, q, rows);
    // The standard rates ask which this pair can use: one is enough. Rates
    // named on the line are each wanted.
    if (missed.empty() || (o.rates.empty() && missed.size() < rates.size()))
        return 0;
    streams.err << fmt::format(
        "velmiro-cli: il collegamento non è «ok» in entrambe le direzioni a {} baud\n",
        fmt::join(missed, ", "));
    return 1;
}

}  // namespace velmiro::cli
