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

// A text and the width its control gives it.
struct Fit {
    QWidget* control;
    QString text;
    int room;
};

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

// Every caption, every preset, and the widest results of everyday use, each in
// the room its control gives it.
QList<Fit> textsToFit(const Ui::frmVelmiro& ui) {
    QList<Fit> fits;
    for (QLabel* caption :
         {ui.lblRegistri_0, ui.lblRegistri_1, ui.lblRegistri_2, ui.lblRegistri_3}) {
        fits.append({caption, caption->text(), caption->contentsRect().width()});
    }
    QCheckBox* boxes[] = {ui.chkBRG_0, ui.chkBRG_1, ui.chkBRG_2};
    for (std::size_t i = 0; i < 3; ++i) {
        const form::BitTexts& bit = form::bitTexts[i];
        for (const char* caption : {bit.clearCaption, bit.setCaption}) {
            fits.append({boxes[i], QString::fromUtf8(caption), checkBoxRoom(boxes[i])});
        }
    }
    for (const char* preset : form::crystalPresets) {
        fits.append({ui.cboQuarzo, QLatin1String(preset), editRoom(ui.cboQuarzo)});
    }
    for (const char* preset : form::ratePresets) {
        fits.append({ui.cboVelmiro, QLatin1String(preset), editRoom(ui.cboVelmiro)});
    }
    fits.append({ui.cmdCalcola, ui.cmdCalcola->text(), buttonRoom(ui.cmdCalcola)});
    // A result keeps a pixel clear of its frame on either side.
    QLabel* const results[] = {ui.lblSPBRG, ui.lblFrequenzaReale, ui.lblScostamento};
    for (std::size_t i = 0; i < 3; ++i) {
        fits.append({results[i], QString::fromUtf8(form::widestResults[i]),
                     results[i]->contentsRect().width() - 2});
    }
    return fits;
}

bool allFit(const QList<Fit>& fits) {
    return std::all_of(fits.begin(), fits.end(), [](const Fit& fit) {
        return QFontMetricsF(fit.control->font(), fit.control).horizontalAdvance(fit.text) <=
               fit.room;
    });
}

// The layout is fixed, so where the face is wider than the one it was drawn for,
// every font shrinks by the same steps until all texts fit.
void fitFonts(QWidget* window, const QList<Fit>& fits) {
    if (allFit(fits))
        return;
    QList<std::pair<QWidget*, QFont>> fonts{{window, window->font()}};
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        fonts.append({widget, widget->font()});
    }
    for (int step = 1; step <= 20; ++step) {  // down to half the size
        const qreal scale = 1.0 - 0.025 * step;
        for (const auto& [widget, font] : fonts) {
            QFont scaled = font;
            if (font.pointSizeF() > 0)
                scaled.setPointSizeF(font.pointSizeF() * scale);
            else
                scaled.setPixelSize(std::max(1, qRound(font.pixelSize() * scale)));
            widget->setFont(scaled);
        }
        if (allFit(fits))
            return;
    }
}

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
    // In a face of the layout's widths every text fits as drawn; only another
    // face needs measuring, and maybe shrinking.
    if (!forms::hasLayoutWidths(QFontInfo(font()).family()))
        fitFonts(this, textsToFit(*ui_));
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
