#include "frmVelmiro.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QIcon>
#include <QList>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QWindow>

#include <algorithm>
#include <utility>

#include "presets.h"
#include "ui_frmVelmiro.h"
#include "velmiro/calc.h"

namespace {

// Caption and tooltip of each generator bit, clear and set.
struct BitTexts {
    const char* clearCaption;
    const char* clearTip;
    const char* setCaption;
    const char* setTip;
};
constexpr BitTexts bitTexts[] = {
    {"SYNC: 0", "Modalità Asincrona", "SYNC: 1", "Modalità Sincrona"},
    {"BRG16: 0", "Generatore di Baud rate a 8 bit", "BRG16: 1", "Generatore di Baud rate a 16 bit"},
    {"BRGH: 0", "Bassa velocità", "BRGH: 1", "Alta velocità"},
};

// The results' fixed colours: register value, deviation within and out of tolerance.
const QColor registerBlue = forms::rgb(0, 0, 255);
const QColor withinGreen = QColor::fromRgb(presets::withinGreen);
const QColor outsideRed = QColor::fromRgb(presets::outsideRed);

std::unique_ptr<Ui::frmVelmiro> createUi(QWidget* window) {
    auto ui = std::make_unique<Ui::frmVelmiro>();
    ui->setupUi(window);
    return ui;
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// A background on which every fixed result colour reads at 3:1 or better.
bool isLight(const QColor& background) {
    for (const QColor& color : {registerBlue, withinGreen, outsideRed}) {
        if (forms::contrastRatio(color, background) < 3.0)
            return false;
    }
    return true;
}

// Black or white, whichever reads better on a background.
QColor plainTextOn(const QColor& background) {
    return forms::contrastRatio(Qt::black, background) >=
                   forms::contrastRatio(Qt::white, background)
               ? Qt::black
               : Qt::white;
}

// The results stand on the desktop's highlight-text colour, as selected text
// does; on usual themes that is white. Where it is too dark for the fixed
// colours, a light one takes its place. A result with no colour of its own is
// drawn in the palette's text colour that reads best on its box, which on a dark
// theme is not the window text.
void makeReadable(QLabel* box, const QPalette& inherited) {
    const QPalette current = box->palette();
    const bool coloured = current.isBrushSet(QPalette::Active, QPalette::WindowText);
    QPalette own = inherited;
    own.setResolveMask(0);  // only what is set below is this box's own
    const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive,
                                           QPalette::Disabled};
    for (QPalette::ColorGroup group : groups) {
        if (coloured)
            own.setBrush(group, QPalette::WindowText, current.brush(group, QPalette::WindowText));
        const QColor base = inherited.color(group, QPalette::Base);
        if (!isLight(inherited.color(group, QPalette::HighlightedText)))
            own.setColor(group, QPalette::HighlightedText, isLight(base) ? base : Qt::white);
    }

    QPalette::ColorRole fore = QPalette::WindowText;
    if (!coloured) {
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
        if (worst(fore) < 3.0) {
            fore = QPalette::Text;
            for (QPalette::ColorGroup group : groups) {
                own.setColor(group, QPalette::Text,
                             plainTextOn(own.color(group, QPalette::HighlightedText)));
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
        for (const char* caption : {bitTexts[i].clearCaption, bitTexts[i].setCaption}) {
            fits.append({boxes[i], QString::fromUtf8(caption), checkBoxRoom(boxes[i])});
        }
    }
    for (const char* preset : presets::crystals) {
        fits.append({ui.cboQuarzo, QLatin1String(preset), editRoom(ui.cboQuarzo)});
    }
    for (const char* preset : presets::rates) {
        fits.append({ui.cboVelmiro, QLatin1String(preset), editRoom(ui.cboVelmiro)});
    }
    fits.append({ui.cmdCalcola, ui.cmdCalcola->text(), buttonRoom(ui.cmdCalcola)});
    // A result keeps a pixel clear of its frame on either side.
    const std::pair<QLabel*, const char*> results[] = {{ui.lblSPBRG, "-32768"},
                                                       {ui.lblFrequenzaReale, "1000000 ottenuti"},
                                                       {ui.lblScostamento, "errore: -45,75%"}};
    for (const auto& [result, sample] : results) {
        fits.append({result, QString::fromUtf8(sample), result->contentsRect().width() - 2});
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
    forms::Label(ui.lblSPBRG).setForeColor(registerBlue);

    // Typing must not be completed into a preset, nor Enter add to the lists.
    ui.cboQuarzo->setCompleter(nullptr);
    ui.cboVelmiro->setCompleter(nullptr);

    window.setWindowIcon(forms::programIcon());
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
}

}  // namespace

frmVelmiro::frmVelmiro(forms::Runtime& runtime, QWidget* parent)
    : forms::Form(runtime, parent),
      ui_(createUi(this)),
      cboQuarzo(ui_->cboQuarzo),
      cboVelmiro(ui_->cboVelmiro),
      chkBRG{forms::CheckBox(ui_->chkBRG_0), forms::CheckBox(ui_->chkBRG_1),
             forms::CheckBox(ui_->chkBRG_2)},
      lblRegistri{forms::Label(ui_->lblRegistri_0), forms::Label(ui_->lblRegistri_1),
                  forms::Label(ui_->lblRegistri_2), forms::Label(ui_->lblRegistri_3)},
      lblSPBRG(ui_->lblSPBRG),
      lblFrequenzaReale(ui_->lblFrequenzaReale),
      lblScostamento(ui_->lblScostamento) {
    completeLayout(*this, *ui_);
    // In a face of the layout's widths every text fits as drawn; only another
    // face needs measuring, and maybe shrinking.
    if (!forms::hasLayoutWidths(QFontInfo(font()).family()))
        fitFonts(this, textsToFit(*ui_));
    makeResultsReadable();
    for (std::int16_t index = 0; index < 3; ++index) {
        chkBRG[static_cast<std::size_t>(index)].onClick(
            this, [this, index] { runHandler([this, index] { chkBRG_Click(index); }); });
    }
    connect(ui_->cmdCalcola, &QPushButton::clicked, this,
            [this] { runHandler([this] { cmdCalcola_Click(); }); });
}

frmVelmiro::~frmVelmiro() = default;

void frmVelmiro::changeEvent(QEvent* event) {
    // A theme switch at run time brings a new palette.
    if (event->type() == QEvent::PaletteChange)
        makeResultsReadable();
    forms::Form::changeEvent(event);
}

void frmVelmiro::showEvent(QShowEvent* event) {
    forms::Form::showEvent(event);
    // The screen, and with it the pixel ratio, is known for sure only now: the
    // chip is drawn here, not before.
    showChip();
    if (QWindow* handle = window()->windowHandle())
        connect(handle, &QWindow::screenChanged, this, &frmVelmiro::showChip, Qt::UniqueConnection);
}

void frmVelmiro::makeResultsReadable() {
    for (QLabel* result : {ui_->lblSPBRG, ui_->lblFrequenzaReale, ui_->lblScostamento}) {
        makeReadable(result, palette());
    }
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

void frmVelmiro::Form_Load() {
    // Centred across, a third of the free height down.
    const float width = outerWidth();
    const float screenW = screenWidth();
    moveLeft((screenW - width) / 2.0f);
    const float height = outerHeight();
    const float screenH = screenHeight();
    moveTop((screenH - height) / 3.0f);

    for (const char* preset : presets::crystals) {
        cboQuarzo.addItem(QString::fromLatin1(preset));
    }
    cboQuarzo.setListIndex(4);

    chkBRG[0].setValue(0);
    chkBRG[1].setValue(0);
    chkBRG[2].setValue(1);

    for (const char* preset : presets::rates) {
        cboVelmiro.addItem(QString::fromLatin1(preset));
    }
    cboVelmiro.setListIndex(2);
}

void frmVelmiro::chkBRG_Click(std::int16_t index) {
    const auto i = static_cast<std::size_t>(index);
    const bool set = chkBRG[i].value() != 0;
    chkBRG[i].setCaption(
        QString::fromUtf8(set ? bitTexts[i].setCaption : bitTexts[i].clearCaption));
    chkBRG[i].setToolTipText(QString::fromUtf8(set ? bitTexts[i].setTip : bitTexts[i].clearTip));

    if (index == 0) {
        // Synchronous mode has no high-speed bit: clear it (its own Click
        // relabels it at once) and lock it until SYNC is cleared again.
        if (set)
            chkBRG[2].setValue(0);
        chkBRG[2].setEnabled(!set);
    }
}

void frmVelmiro::cmdCalcola_Click() {
    lblSPBRG.setCaption(QString());
    lblFrequenzaReale.setCaption(QString());
    lblScostamento.setCaption(QStringLiteral("errore: "));

    const std::int32_t frequency = velmiro::integerFromText(cboQuarzo.text().toStdString());
    const std::int32_t rate = velmiro::integerFromText(cboVelmiro.text().toStdString());

    velmiro::GeneratorMode mode;
    mode.sync = chkBRG[0].value();
    mode.brg16 = chkBRG[1].value();
    mode.brgh = chkBRG[2].value();
    const std::int16_t divisor = velmiro::divisorForKey(velmiro::modeKeyOf(mode));

    // Each result is shown as soon as it is known, so a later failure leaves
    // the earlier ones on screen.
    const std::int16_t registerValue = velmiro::registerValueFor(frequency, rate, divisor);
    lblSPBRG.setCaption(text(velmiro::textOfInteger(registerValue)));
    if (velmiro::isTooLow(registerValue)) {
        MsgBox(QStringLiteral("Valori troppo bassi di SPBRG.   \r\n"
                              "Aumentare il clock o diminuire la frequenza o "
                              "impostare il BRGH"),
               forms::vbCritical | forms::vbOKOnly, QStringLiteral("Baud Rate Generator"));
        return;
    }

    const std::int32_t achieved = velmiro::achievedRateFor(frequency, registerValue, divisor);
    lblFrequenzaReale.setCaption(text(velmiro::textOfInteger(achieved)) +
                                 QStringLiteral(" ottenuti"));

    const velmiro::Deviation deviation = velmiro::deviationFor(achieved, rate);
    lblScostamento.setForeColor(deviation.outOfTolerance ? outsideRed : withinGreen);
    lblScostamento.setCaption(QStringLiteral("errore: ") +
                              text(velmiro::textOfDeviation(deviation.percent)) + QChar('%'));
}
