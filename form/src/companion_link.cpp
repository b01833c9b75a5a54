// The companion's Collegamento tab: the PIC of the shared inputs against the
// other end of the wire, as velmiro-cli link answers, in the window's words.
#include <algorithm>

#include "companion_parts.h"
#include "companion_state.h"
#include "velmiro/companion.h"
#include "velmiro/grid.h"
#include "velmiro/link.h"
#include "velmiro/link_report.h"

namespace velmiro::companion {

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

// "FT232R, FT232B, CP2104 e CP2102".
std::string adapterNames() {
    std::string text;
    const auto all = adapters();
    for (std::size_t i = 0; i < all.size(); ++i)
        text.append(i == 0 ? "" : i + 1 == all.size() ? " e " : ", ").append(all[i].name);
    return text;
}

// The other end as typed in Altro capo: an adapter, "esatto" (or velmiro-cli's
// "exact"), a Periferica by its key or a part. A PIC still needs its clock.
std::optional<report::Peer> readPeer(const std::string& typed, std::string& problem) {
    report::Peer peer;
    if (typed.empty()) {
        problem = "Scegliere l'altro capo: un adattatore (" + adapterNames() +
                  "), esatto, una periferica o un PIC";
        return std::nullopt;
    }
    peer.adapter = findAdapter(typed);
    const std::string lower = lowered(typed);
    if (peer.adapter != nullptr || lower == "esatto" || lower == "exact")
        return peer;
    if (const Family* family = findFamily(lower)) {
        peer.pic = report::Port{Peripheral(*family), {}};
        return peer;
    }
    const Device device = deviceFromText(typed);
    if (device.problem == DeviceProblem::None) {
        peer.pic = report::portOf(device);
        return peer;
    }
    problem = device.problem == DeviceProblem::Unknown
                  ? "«" + typed + "» non è un adattatore, esatto, una periferica o un PIC che " +
                        "Velmiro conosce; gli adattatori sono " + adapterNames()
                  : report::deviceProblem(typed, device);
    return std::nullopt;
}

}  // namespace

std::vector<std::string> peerPresets() {
    std::vector<std::string> presets;
    for (const Adapter& adapter : adapters())
        presets.emplace_back(adapter.name);
    presets.emplace_back("esatto");
    for (const Family& family : families())
        presets.emplace_back(family.key);
    return presets;
}

void Companion::computeLink(const PicInputs& in) {
    State& s = *state_;
    s.linkRows.clear();
    s.linkNote.clear();
    s.linkPerRate = view_.allRatesChecked();

    std::string peerProblem, clockProblem, errorProblem, frameProblem, marginProblem;
    std::optional<report::Peer> peer = readPeer(trimmed(view_.text(Field::Peer)), peerProblem);
    if (peer && peer->pic) {
        const std::string clock = trimmed(view_.text(Field::PeerClock));
        const report::Reading reading = report::readPositiveQuantity(clock);
        if (clock.empty())
            clockProblem = "serve per un PIC all'altro capo, come 20M";
        else if (reading.value)
            peer->clock = *reading.value;
        else
            clockProblem = reading.problem;
    }
    // Empty: the adapter's published accuracy, as velmiro-cli without --peer-clock-error.
    const std::string error = trimmed(view_.text(Field::PeerClockError));
    if (peer && error.empty()) {
        peer->clockErrorPercent = peer->adapter != nullptr ? peer->adapter->clockErrorPercent : 0.0;
    } else if (!error.empty()) {
        const report::PercentReading reading = report::readClockError(error);
        errorProblem = reading.problem;
        if (peer && reading.value)
            peer->clockErrorPercent = *reading.value;
    }
    const std::string frameTyped = trimmed(view_.text(Field::Frame));
    const std::optional<Frame> frame = frameFromText(frameTyped);
    if (frameTyped.empty())
        frameProblem = "Scrivere la trama, come 8N1 o 7E1";
    else if (!frame)
        frameProblem = "«" + frameTyped +
                       "» non è una trama; si scrive come 8N1, 7E1 o 9N2: bit di dati da 5 a 9, "
                       "parità N, E o O, bit di stop 1 o 2";
    const std::string marginTyped = view_.text(Field::Margin);
    const report::PercentReading margin = report::readTolerance(marginTyped);
    if (!margin.value)
        marginProblem = "«" + trimmed(marginTyped) +
                        "» non è un margine; serve una percentuale maggiore di zero e al massimo "
                        "100, come 1 o 0,5";
    say(Field::Peer, peerProblem);
    say(Field::PeerClock, clockProblem);
    say(Field::PeerClockError, errorProblem);
    say(Field::Frame, frameProblem);
    say(Field::Margin, marginProblem);

    report::LinkQuery& q = s.linkQuery;
    q = report::LinkQuery{};
    const bool picReads = in.crystal && in.judgement && in.port && (s.linkPerRate || in.rate);
    const bool peerReads = peer && clockProblem.empty() && errorProblem.empty();
    if (picReads && peerReads && frame && margin.value) {
        // A link is asynchronous: the PIC's best asynchronous mode, whatever Modi sincroni says.
        q = report::LinkQuery{report::Query{*in.crystal, in.rate, {}, *in.judgement, *in.port},
                              ModeChoice{}, *peer, *frame, *margin.value};
        if (s.linkPerRate) {
            for (const std::int32_t rate : standardLinkRates())
                s.linkRows.push_back(report::linkAt(q, rate));
            s.linkNote = report::usableRatesText(s.linkRows);
        } else {
            s.linkRows.push_back(report::linkAt(q, *in.rate));
            s.linkNote = report::linkEndsText(q, s.linkRows.front());
        }
    } else if (peer) {
        q.peer = *peer;  // the columns still follow the clocks' errors
    }
    writeLine(Line::Link);
    s.grids[static_cast<std::size_t>(Tab::Link)] = report::linkGrid(q, s.linkRows, s.linkPerRate);
    view_.showGrid(Tab::Link, s.grids[static_cast<std::size_t>(Tab::Link)]);
}

}  // namespace velmiro::companion
