#include "frmVelmiro.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QIcon>
#include <QList>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <utility>

#include "ui_frmVelmiro.h"
#include "velmiro/fontfit.h"

namespace {

namespace form = velmiro::form;

QColor qColour(form::Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

form::Rgb rgb(const QColor& colour) {
    const QColor c = colour.toRgb();
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::unique_ptr<Ui::frmVelmiro> createUi(QWidget* window) {
    auto ui = std::make_unique<Ui::frmVelmiro>();
    ui->setupUi(window);
    return ui;
}

// The results stand on the desktop's highlight-text colour, as selected text
// does; on usual themes that is white. Where it is too dark for the fixed
// colours, a light one takes its place. A result with no colour of its own is
// drawn in the palette's text colour that reads best on its box, which on a dark
// theme is not the window text.
void makeReadable(QLabel* box, const QPalette& inherited, std::optional<form::Rgb> fixed) {
    QPalette own = inherited;
    own.setResolveMask(0);  // only what is set below is this box's own
    const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive,
                                           QPalette::Disabled};
    for (QPalette::ColorGroup group : groups) {
        if (fixed)
            own.setColor(group, QPalette::WindowText, qColour(*fixed));
        const QColor highlight = inherited.color(group, QPalette::HighlightedText);
        const QColor background = qColour(
            form::resultBackground(rgb(highlight), rgb(inherited.color(group, QPalette::Base))));
        if (background != highlight)
            own.setColor(group, QPalette::HighlightedText, background);
    }

    QPalette::ColorRole fore = QPalette::WindowText;
    if (!fixed) {
        // Judged in the groups of a shown window, focused or not.
        auto worst = [&own](QPalette::ColorRole role) {
            double ratio = 21.0;
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                ratio = std::min(ratio,
                                 forms::contrastRatio(own.color(group, role),
                                                      own.color(group, QPalette::HighlightedText)));
            }
            return ratio;
        };
        for (QPalette::ColorRole role :
             {QPalette::Text, QPalette::ButtonText, QPalette::BrightText, QPalette::ToolTipText}) {
            if (worst(role) > worst(fore))
                fore = role;
        }
        if (worst(fore) < form::readableRatio) {
            fore = QPalette::Text;
            for (QPalette::ColorGroup group : groups) {
                own.setColor(
                    group, QPalette::Text,
                    qColour(form::plainTextOn(rgb(own.color(group, QPalette::HighlightedText)))));
            }
        }
    }
    box->setPalette(own);
    box->setForegroundRole(fore);
}

int checkBoxRoom(const QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
}

int buttonRoom(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
}

int editRoom(const QComboBox* combo) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = true;
    option.frame = combo->hasFrame();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    return field.width() - 4;  // a line edit keeps 2 pixels clear on either side of its text
}

// The window's controls measured for the font-fit policy of the form logic.
class FontFitting final : public form::FontView {
  public:
    FontFitting(QWidget& window, const Ui::frmVelmiro& ui) : window_(window), ui_(ui) {}

    double room(form::Fitted fitted, int index) const override {
        QWidget* const widget = control(fitted, index);
        switch (fitted) {
            case form::Fitted::Box:
                return checkBoxRoom(static_cast<QCheckBox*>(widget));
            case form::Fitted::Combo:
                return editRoom(static_cast<QComboBox*>(widget));
            case form::Fitted::Button:
                return buttonRoom(static_cast<QPushButton*>(widget));
            case form::Fitted::Result:  // a result keeps a pixel clear of its frame on either side
                return widget->contentsRect().width() - 2;
            case form::Fitted::Caption:
                break;
        }
        return widget->contentsRect().width();
    }

    double width(const form::FitText& fit) const override {
        QWidget* const widget = control(fit.control, fit.index);
        QString shown = QString::fromUtf8(fit.text);
        if (fit.text == nullptr) {
            shown = fit.control == form::Fitted::Button ? ui_.cmdCalcola->text()
                                                        : static_cast<QLabel*>(widget)->text();
        }
        return QFontMetricsF(widget->font(), widget).horizontalAdvance(shown);
    }

    void scaleFonts(double scale) override {
        if (fonts_.isEmpty()) {  // each font as laid out, taken before the first change
            fonts_.append({&window_, window_.font()});
            for (QWidget* widget : window_.findChildren<QWidget*>())
                fonts_.append({widget, widget->font()});
        }
        for (const auto& [widget, font] : fonts_) {
            QFont scaled = font;
            if (font.pointSizeF() > 0)
                scaled.setPointSizeF(font.pointSizeF() * scale);
            else
                scaled.setPixelSize(std::max(1, qRound(font.pixelSize() * scale)));
            widget->setFont(scaled);
        }
    }

  private:
    QWidget* control(form::Fitted fitted, int index) const {
        const auto at = static_cast<std::size_t>(index);
        switch (fitted) {
            case form::Fitted::Caption: {
                QLabel* const captions[] = {ui_.lblRegistri_0, ui_.lblRegistri_1, ui_.lblRegistri_2,
                                            ui_.lblRegistri_3};
                return captions[at];
            }
            case form::Fitted::Box: {
                QCheckBox* const boxes[] = {ui_.chkBRG_0, ui_.chkBRG_1, ui_.chkBRG_2};
                return boxes[at];
            }
            case form::Fitted::Combo:
                return index == static_cast<int>(form::Combo::Quarzo) ? ui_.cboQuarzo
                                                                      : ui_.cboVelmiro;
            case form::Fitted::Result: {
                QLabel* const results[] = {ui_.lblSPBRG, ui_.lblFrequenzaReale, ui_.lblScostamento};
                return results[at];
            }
            case form::Fitted::Button:
                break;
        }
        return ui_.cmdCalcola;
    }

    QWidget& window_;
    const Ui::frmVelmiro& ui_;
    QList<std::pair<QWidget*, QFont>> fonts_;
};

// What the window's layout file cannot say: the system colour behind the
// results, the icon, the window's buttons.
void completeLayout(frmVelmiro& window, Ui::frmVelmiro& ui) {
    for (QLabel* result : {ui.lblSPBRG, ui.lblFrequenzaReale, ui.lblScostamento}) {
        result->setBackgroundRole(QPalette::HighlightedText);
    }

    // Typing must not be completed into a preset, nor Enter add to the lists.
    ui.cboQuarzo->setCompleter(nullptr);
    ui.cboVelmiro->setCompleter(nullptr);

    window.setWindowIcon(forms::programIcon());
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
}

QLabel* resultLabel(const Ui::frmVelmiro& ui, std::size_t result) {
    QLabel* const results[] = {ui.lblSPBRG, ui.lblFrequenzaReale, ui.lblScostamento};
    return results[result];
}

}  // namespace

// The controls as the logic sees them.
class frmVelmiro::Controls : public form::View {
  public:
    explicit Controls(frmVelmiro& window) : window_(window), ui_(*window.ui_) {}

    form::Size outerSize() const override {
        const QRect frame = window_.frameGeometry();
        return {frame.width(), frame.height()};
    }
    form::Size screenSize() const override {
        const QRect screen = window_.screenGeometry();
        return {screen.width(), screen.height()};
    }
    void moveTo(int left, int top) override {
        const QRect screen = window_.screenGeometry();
        window_.move(screen.x() + left, screen.y() + top);
    }

    void addListItem(form::Combo combo, const std::string& item) override {
        comboBox(combo)->addItem(text(item));
    }
    void setListIndex(form::Combo combo, int index) override {
        comboBox(combo)->setCurrentIndex(index);
    }
    std::string comboText(form::Combo combo) const override {
        return comboBox(combo)->currentText().toStdString();
    }

    bool isChecked(int box) const override { return checkBox(box)->isChecked(); }
    void setChecked(int box, bool checked) override {
        // The logic raises the click of a change it makes itself.
        const QSignalBlocker quiet(checkBox(box));
        checkBox(box)->setChecked(checked);
    }
    void setCaption(int box, const std::string& caption) override {
        checkBox(box)->setText(text(caption));
    }
    void setToolTip(int box, const std::string& tip) override {
        checkBox(box)->setToolTip(text(tip));
    }
    void setEnabled(int box, bool enabled) override { checkBox(box)->setEnabled(enabled); }

    void setResultText(form::Result result, const std::string& shown) override {
        resultLabel(ui_, index(result))->setText(text(shown));
    }
    void setResultColour(form::Result result, form::Colour colour) override {
        window_.colours_[index(result)] = colour;
        makeReadable(resultLabel(ui_, index(result)), window_.palette(), form::fixedColour(colour));
    }

    void showMessage(const std::string& prompt, const std::string& title, form::BoxIcon) override {
        window_.runtime_.message(&window_, QMessageBox::Critical, text(title), text(prompt));
    }

  private:
    static std::size_t index(form::Result result) { return static_cast<std::size_t>(result); }
    QComboBox* comboBox(form::Combo combo) const {
        return combo == form::Combo::Quarzo ? ui_.cboQuarzo : ui_.cboVelmiro;
    }
    QCheckBox* checkBox(int box) const {
        QCheckBox* const boxes[] = {ui_.chkBRG_0, ui_.chkBRG_1, ui_.chkBRG_2};
        return boxes[static_cast<std::size_t>(box)];
    }

    frmVelmiro& window_;
    Ui::frmVelmiro& ui_;
};

frmVelmiro::frmVelmiro(forms::Runtime& runtime, QWidget* parent)
    : QWidget(parent),
      ui_(createUi(this)),
      runtime_(runtime),
      controls_(std::make_unique<Controls>(*this)),
      form_(*controls_) {
    completeLayout(*this, *ui_);
    FontFitting fitting(*this, *ui_);
    form::fitFonts(fitting, QFontInfo(font()).family().toStdString());
    makeResultsReadable();
    // toggled() comes for the user's changes only: the logic's own are made quietly.
    QCheckBox* const boxes[] = {ui_->chkBRG_0, ui_->chkBRG_1, ui_->chkBRG_2};
    for (int index = 0; index < 3; ++index) {
        connect(boxes[index], &QCheckBox::toggled, this,
                [this, index] { form_.chkBRGClick(index); });
    }
    connect(ui_->cmdCalcola, &QPushButton::clicked, this, [this] { form_.cmdCalcolaClick(); });
}

frmVelmiro::~frmVelmiro() = default;

void frmVelmiro::setVisible(bool visible) {
    if (visible && !loaded_) {
        loaded_ = true;
        // Create the native window first: the outer size then includes
        // whatever the platform already knows of the frame.
        winId();
        form_.formLoad();
    }
    QWidget::setVisible(visible);
}

QRect frmVelmiro::screenGeometry() const {
    return screen()->geometry();
}

void frmVelmiro::changeEvent(QEvent* event) {
    // A theme switch at run time brings a new palette.
    if (event->type() == QEvent::PaletteChange)
        makeResultsReadable();
    QWidget::changeEvent(event);
}

void frmVelmiro::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The screen, and with it the pixel ratio, is known for sure only now: the
    // chip is drawn here, not before.
    showChip();
    if (QWindow* handle = window()->windowHandle())
        connect(handle, &QWindow::screenChanged, this, &frmVelmiro::showChip, Qt::UniqueConnection);
}

void frmVelmiro::makeResultsReadable() {
    for (std::size_t i = 0; i < 3; ++i)
        makeReadable(resultLabel(*ui_, i), palette(), form::fixedColour(colours_[i]));
}

// Drawn from the picture of twice the size on a screen with twice the pixels,
// rather than scaled up; decoded again only when the ratio changes.
void frmVelmiro::showChip() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == chipRatio_)
        return;
    chipRatio_ = ratio;
    ui_->Picture2->setPixmap(forms::pictureFor(QStringLiteral(":/velmiro/chip.png"),
                                               QStringLiteral(":/velmiro/chip@2x.png"),
                                               ui_->Picture2->size(), ratio));
}
