#include "velmiro/form.h"

#include <cmath>
#include <cstdint>
#include <exception>

#include "velmiro/calc.h"

namespace velmiro::form {

namespace {

constexpr const char* tooLowTitle = "Baud Rate Generator";
constexpr const char* tooLowPrompt =
    "Valori troppo bassi di SPBRG.   \r\n"
    "Aumentare il clock o diminuire la frequenza o impostare il BRGH";

// The failure a handler ended with, if any. The box that reports it is shown
// only once the exception is over, since a box runs its own event loop.
template <typename Handler>
std::exception_ptr failureOf(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

std::string numbered(int number, const char* description) {
    return "Errore di run-time '" + std::to_string(number) + "': " + description;
}

}  // namespace

std::string failureReport(const std::exception_ptr& failure) noexcept {
    try {
        try {
            std::rethrow_exception(failure);
        } catch (const CalcError& error) {
            switch (error.kind()) {
                case CalcErrorKind::TypeMismatch:
                    return numbered(13, "Tipo non corrispondente");
                case CalcErrorKind::Overflow:
                    return numbered(6, "Overflow");
                case CalcErrorKind::DivisionByZero:
                    return numbered(11, "Divisione per zero");
                default:
                    return std::string("Errore imprevisto: ") + error.what();
            }
        } catch (const std::exception& error) {
            return std::string("Errore imprevisto: ") + error.what();
        }
    } catch (...) {
    }
    return "Errore imprevisto";
}

void Form::formLoad() noexcept {
    if (const std::exception_ptr failure = failureOf([this] { load(); }))
        report(failure);
}

void Form::chkBRGClick(int box) noexcept {
    if (const std::exception_ptr failure = failureOf([this, box] { relabel(box); }))
        report(failure);
}

void Form::cmdCalcolaClick() noexcept {
    if (const std::exception_ptr failure = failureOf([this] { calculate(); })) {
        // Half a result would read as a whole one: 4166 where the register
        // holds 8 bits, or the last result's green.
        failureOf([this] { clearResults(); });
        report(failure);
    }
}

void Form::load() {
    // Centred across, a third of the free height down; the halves in floats,
    // as the window's own arithmetic was.
    const Size outer = view_.outerSize();
    const Size screen = view_.screenSize();
    const float left = (static_cast<float>(screen.width) - static_cast<float>(outer.width)) / 2.0f;
    const float top = (static_cast<float>(screen.height) - static_cast<float>(outer.height)) / 3.0f;
    view_.moveTo(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));

    for (const char* preset : crystalPresets)
        view_.addListItem(Combo::Quarzo, preset);
    view_.setListIndex(Combo::Quarzo, crystalDefault);

    // SYNC and BRG16 are clear from the layout on.
    setValue(brghBox, true);

    for (const char* preset : ratePresets)
        view_.addListItem(Combo::Velmiro, preset);
    view_.setListIndex(Combo::Velmiro, rateDefault);
}

// A change of value raises the box's click at once, nested in the caller,
// and only when the value really changes.
void Form::setValue(int box, bool checked) {
    if (view_.isChecked(box) == checked)
        return;
    view_.setChecked(box, checked);
    relabel(box);
}

void Form::relabel(int box) {
    if (box < 0 || box >= boxCount)
        return;
    const BitTexts& texts = bitTexts[static_cast<std::size_t>(box)];
    const bool set = view_.isChecked(box);
    view_.setCaption(box, set ? texts.setCaption : texts.clearCaption);
    view_.setToolTip(box, set ? texts.setTip : texts.clearTip);

    if (box == syncBox) {
        // Synchronous mode has no high-speed bit: clear it and lock it until
        // SYNC is cleared again; the bit stays clear then.
        if (set)
            setValue(brghBox, false);
        view_.setEnabled(brghBox, !set);
    }
}

void Form::calculate() {
    view_.setResultText(Result::SPBRG, "");
    view_.setResultText(Result::FrequenzaReale, "");
    view_.setResultText(Result::Scostamento, "errore: ");

    const std::int32_t frequency = integerFromText(view_.comboText(Combo::Quarzo));
    const std::int32_t rate = integerFromText(view_.comboText(Combo::Velmiro));

    GeneratorMode mode;
    mode.sync = view_.isChecked(0) ? 1 : 0;
    mode.brg16 = view_.isChecked(1) ? 1 : 0;
    mode.brgh = view_.isChecked(2) ? 1 : 0;
    const std::int16_t divisor = divisorForKey(modeKeyOf(mode));

    const std::int16_t registerValue = registerValueFor(frequency, rate, divisor);
    view_.setResultText(Result::SPBRG, textOfInteger(registerValue));
    if (isTooLow(registerValue)) {
        // Not a failure: the value stays on show behind the box.
        view_.showMessage(tooLowPrompt, tooLowTitle, BoxIcon::Critical);
        return;
    }

    const std::int32_t achieved = achievedRateFor(frequency, registerValue, divisor);
    view_.setResultText(Result::FrequenzaReale, textOfInteger(achieved) + " ottenuti");

    const Deviation deviation = deviationFor(achieved, rate);
    view_.setResultColour(Result::Scostamento,
                          deviation.outOfTolerance ? Colour::OutsideRed : Colour::WithinGreen);
    view_.setResultText(Result::Scostamento, "errore: " + textOfDeviation(deviation.percent) + "%");
}

void Form::clearResults() {
    view_.setResultText(Result::SPBRG, "");
    view_.setResultText(Result::FrequenzaReale, "");
    view_.setResultText(Result::Scostamento, "");
    view_.setResultColour(Result::Scostamento, Colour::Default);
}

void Form::report(const std::exception_ptr& failure) noexcept {
    try {
        view_.showMessage(failureReport(failure), failureTitle, BoxIcon::Critical);
    } catch (...) {
        // The view cannot show a box either: nothing more can be said.
    }
}

}  // namespace velmiro::form
