#include "commands.h"

#include <fmt/format.h>

#include <limits>

#include "arguments.h"

namespace velmiro::cli {

namespace {

struct Settings {
    report::Port port;
    ModeChoice choice;
    Judgement judgement;
    report::Format format = report::Format::Text;
};

Settings settingsOf(const Common& c) {
    Settings s;
    s.choice.sync = c.sync;
    if (const ModeInfo* mode = findMode(c.mode))
        s.choice.key = mode->key;
    s.judgement.tolerancePercent = percentOf(c.tolerance);
    s.judgement.clockErrorPercent = percentOf(c.clockError);
    s.format = formatOf(c.format);
    return s;
}

void hint(std::ostream& err, const std::string& advice) {
    if (!advice.empty())
        err << "velmiro-cli: " << advice << '\n';
}

std::int32_t crystalOf(const std::string& text, std::ostream& err) {
    const std::int32_t crystal = quantityOf(text);
    hint(err, report::crystalHint(text, crystal));
    return crystal;
}

// QUARZO and BAUD of a command that judges one rate, with advice on either.
report::Query rateQuery(const std::string& crystal, const std::string& rate, const Settings& s,
                        std::ostream& err) {
    const report::Query q{crystalOf(crystal, err), quantityOf(rate), {}, s.judgement, s.port};
    hint(err, report::rateHint(*s.port.peripheral.family, q.crystal, *q.rate));
    return q;
}

std::vector<std::int32_t> ratesOf(const std::vector<std::string>& texts) {
    std::vector<std::int32_t> rates;
    for (const std::string& text : texts)
        rates.push_back(quantityOf(text));
    return rates;
}

// The deviation that was judged: the worst case when the clock has an error.
std::string judgedText(const ModeResult& r, const Judgement& j) {
    std::string text = report::decimalText(*r.deviationPercent, 2) + '%';
    if (j.clockErrorPercent > 0.0)
        text += " (nel caso peggiore " + report::decimalText(*r.worstCasePercent, 2) + "%)";
    return text;
}

// The status of one answer, with the reason on stderr when it is 1.
int statusOf(const Comparison& modes, const Settings& s, std::ostream& err) {
    const ModeResult* chosen = modes.bestMode();
    if (chosen == nullptr) {
        err << "velmiro-cli: nessun modo contiene questo valore del registro\n";
        return 1;
    }
    if (chosen->verdict == Verdict::Ok)
        return 0;
    err << fmt::format(
        "velmiro-cli: {}, {}, è fuori tolleranza ({}%)\n",
        s.choice.key.empty() ? "lo scostamento migliore, nel modo " + std::string(chosen->mode->key)
                             : "lo scostamento nel modo scelto " + std::string(chosen->mode->key),
        judgedText(*chosen, s.judgement), report::percentText(s.judgement.tolerancePercent));
    return 1;
}

}  // namespace

int compare(const std::string& crystal, const std::string& rate, const Common& common,
            Streams streams) {
    const Settings s = settingsOf(common);
    const report::Query q = rateQuery(crystal, rate, s, streams.err);
    const Comparison modes =
        compareModes(s.port.peripheral, q.crystal, *q.rate, s.judgement, s.choice);
    report::writeModes(streams.out, s.format, q, modes);
    return statusOf(modes, s, streams.err);
}

int registerCommand(const std::string& crystal, const std::string& n, const std::string& rate,
                    const Common& common, Streams streams) {
    const Settings s = settingsOf(common);
    report::Query q{crystalOf(crystal, streams.err), {}, registerValueOf(n), s.judgement, s.port};
    if (!rate.empty())
        q.rate = quantityOf(rate);
    const Comparison modes = compareRegister(s.port.peripheral, q.crystal, *q.registerValue, q.rate,
                                             s.judgement, s.choice);
    report::writeModes(streams.out, s.format, q, modes);
    // Without a rate nothing is judged.
    return q.rate ? statusOf(modes, s, streams.err) : 0;
}

int header(const std::string& crystal, const std::string& rate, const std::string& prefix,
           const Common& common, Streams streams) {
    const Settings s = settingsOf(common);
    const report::Query q = rateQuery(crystal, rate, s, streams.err);
    const Comparison modes =
        compareModes(s.port.peripheral, q.crystal, *q.rate, s.judgement, s.choice);
    // A rate always gives every mode a value, so there is always a best one.
    report::writeHeader(streams.out, prefix, q, *modes.bestMode());
    return statusOf(modes, s, streams.err);
}

int table(const std::string& crystal, const std::vector<std::string>& rates, const Common& common,
          Streams streams) {
    const Settings s = settingsOf(common);
    const report::Query q{crystalOf(crystal, streams.err), {}, {}, s.judgement, s.port};
    const std::vector<std::int32_t> chosen =
        rates.empty() ? std::vector<std::int32_t>(report::defaultTableRates().begin(),
                                                  report::defaultTableRates().end())
                      : ratesOf(rates);
    const std::vector<report::TableRow> rows =
        report::tableOf(s.port.peripheral, q.crystal, chosen, s.judgement, s.choice);
    report::writeTable(streams.out, s.format, q, rows);
    std::vector<std::int32_t> missed;
    for (const report::TableRow& row : rows) {
        hint(streams.err, report::rateHint(*s.port.peripheral.family, q.crystal, row.rate));
        if (row.modes.bestMode()->verdict != Verdict::Ok)
            missed.push_back(row.rate);
    }
    if (missed.empty())
        return 0;
    streams.err << fmt::format("velmiro-cli: nessun modo entro la tolleranza ({}%) per {} baud\n",
                               report::percentText(s.judgement.tolerancePercent),
                               fmt::join(missed, ", "));
    return 1;
}

int crystals(const std::vector<std::string>& rates, const std::string& minimum,
             const std::string& maximum, const Common& common, Streams streams) {
    const Settings s = settingsOf(common);
    const std::vector<std::int32_t> wanted = ratesOf(rates);
    const std::int32_t low = minimum.empty() ? 1 : quantityOf(minimum);
    const std::int32_t high =
        maximum.empty() ? std::numeric_limits<std::int32_t>::max() : quantityOf(maximum);
    if (low > high)
        throw Refusal("--min-frequency è più alta di --max-frequency");
    const std::vector<CrystalFit> fits =
        crystalsFor(s.port.peripheral, wanted, s.judgement, s.choice, low, high);
    report::writeCrystals(streams.out, s.format, s.port, wanted, s.judgement, fits);
    if (!fits.empty())
        return 0;
    streams.err << "velmiro-cli: nessun quarzo comune dà tutti i baud rate entro la tolleranza\n";
    return 1;
}

}  // namespace velmiro::cli
