// The companion's handlers: what each input reads as, the three tabs, the
// lines under the inputs, the header and the CSV.
#include "velmiro/companion.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <sstream>

#include "companion_parts.h"
#include "companion_state.h"
#include "velmiro/grid.h"
#include "velmiro/report.h"

namespace velmiro::companion {

namespace {

// The fields of each line, in order, with the name a line gives them.
struct Named {
    Field field;
    const char* name;  // none: the line serves one field
};
constexpr Named inputsLine[] = {{Field::Crystal, "Quarzo"},
                                {Field::Pll, "PLL"},
                                {Field::Clock, "Clock dato"},
                                {Field::Source, "Sorgente"},
                                {Field::Rate, "Baud rate"},
                                {Field::Tolerance, "Tolleranza"},
                                {Field::ClockError, "Errore del clock"},
                                {Field::Device, "Dispositivo"}};
constexpr Named tableLine[] = {{Field::TableRates, nullptr}};
constexpr Named crystalsLine[] = {{Field::CrystalRates, "Baud rate voluti"},
                                  {Field::Minimum, "Frequenza da"},
                                  {Field::Maximum, "fino a"}};
constexpr Named linkLine[] = {{Field::Peer, "Altro capo"},
                              {Field::PeerClock, "Frequenza dell'altro capo"},
                              {Field::PeerClockError, "Errore del clock dell'altro capo"},
                              {Field::Frame, "Trama"},
                              {Field::Margin, "Margine"}};

}  // namespace

Companion::Companion(View& view) : view_(view), state_(std::make_unique<State>()) {}

Companion::~Companion() = default;

void Companion::load(const Store& store) noexcept {
    guarded([&] {
        for (const char* preset : form::crystalPresets)
            view_.addPreset(Field::Crystal, preset);
        for (const char* preset : form::ratePresets)
            view_.addPreset(Field::Rate, preset);
        for (const Family& family : families())
            view_.addFamily(familyEntry(family));
        for (const std::string& peer : peerPresets())
            view_.addPreset(Field::Peer, peer);
        restore(store);
    });
    deviceEdited();
}

void Companion::edited(Field field) noexcept {
    switch (field) {
        case Field::Crystal:
        case Field::Rate:
        case Field::Tolerance:
        case Field::ClockError:
        case Field::Pll:
        case Field::Clock:
        case Field::Source:
            return inputsChanged();
        case Field::Device:
            return deviceEdited();
        default:
            return recompute();
    }
}

void Companion::syncToggled() noexcept {
    inputsChanged();
}

void Companion::allRatesToggled() noexcept {
    recompute();
}

void Companion::familyChosen() noexcept {
    inputsChanged();
}

void Companion::selectionChanged() noexcept {
    guarded([this] { updateActions(); });
}

void Companion::tabChanged() noexcept {
    guarded([this] { updateActions(); });
}

void Companion::showTab(Tab tab) noexcept {
    guarded([this, tab] {
        if (view_.currentTab() == tab)
            return;
        view_.setCurrentTab(tab);
        updateActions();
    });
}

void Companion::takeInputs(const form::Form& main) noexcept {
    std::string crystal, rate;
    try {
        crystal = main.shownText(form::Combo::Quarzo);
        rate = main.shownText(form::Combo::Velmiro);
    } catch (...) {
        return;  // nothing to take
    }
    takeInputs(crystal, rate);
}

void Companion::takeInputs(const std::string& crystal, const std::string& rate) noexcept {
    bool changed = false;
    guarded([&] {
        for (const auto& [field, text] :
             {std::pair{Field::Crystal, &crystal}, std::pair{Field::Rate, &rate}}) {
            if (report::readPositiveQuantity(*text).value && view_.text(field) != *text) {
                view_.setText(field, *text);
                changed = true;
            }
        }
    });
    if (changed)
        inputsChanged();
}

void Companion::inputsChanged() noexcept {
    // A new question forgets the row chosen for the header.
    guarded([this] { view_.clearSelection(Tab::Modes); });
    recompute();
}

void Companion::deviceEdited() noexcept {
    // A part that reads picks its family.
    guarded([this] {
        const Device device = deviceFromText(trimmed(view_.text(Field::Device)));
        if (device.problem == DeviceProblem::None && device.family != nullptr)
            view_.setFamilyIndex(familyIndexOf(device.family));
    });
    inputsChanged();
}

void Companion::recompute() noexcept {
    state_->statusNote.clear();
    guarded([this] {
        compute();
        updateActions();
    });
}

void Companion::writeLine(Line line) {
    const auto compose = [this](std::span<const Named> fields) {
        std::string text;
        for (const Named& named : fields) {
            const std::string& problem = state_->problems[at(named.field)];
            if (problem.empty())
                continue;
            if (!text.empty())
                text += '\n';
            if (named.field == Field::Crystal)  // as its label names it now
                text += state_->crystalLabel.substr(state_->crystalLabel.front() == '&') + " ";
            else if (named.name != nullptr)
                text += std::string(named.name) + ": ";
            text += problem;
        }
        return text;
    };
    std::string text;
    std::string note;
    switch (line) {
        case Line::Inputs:
            text = compose(inputsLine);
            note = state_->inputsNote;
            break;
        case Line::Table:
            text = compose(tableLine);
            break;
        case Line::Crystals:
            text = compose(crystalsLine);
            break;
        case Line::Status: {
            static constexpr Named prefix[] = {{Field::Prefix, "Prefisso"}};
            text = compose(prefix);
            if (!state_->exportProblem.empty())
                text += (text.empty() ? "" : "\n") + state_->exportProblem;
            note = state_->statusNote;
            break;
        }
        case Line::Link:
            text = compose(linkLine);
            note = state_->linkNote;
            break;
    }
    const bool problem = !text.empty();
    view_.setLine(line, problem ? text : note, problem);
}

void Companion::say(Field field, std::string problem) {
    view_.setProblem(field, problem);
    state_->problems[at(field)] = std::move(problem);
}

}  // namespace velmiro::companion
